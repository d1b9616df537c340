// The completion check's driving of the learning engine (solver/sat.h):
// whether its clauses may fit their bound (puoentrare, misuramotore), what
// building it costs, what the first grid's completions answer once known
// (dallaradice), and a question put to it (chiedimotore). For the check's
// own code only.
// chiedimotore takes a question the own search left open, on the grid as
// the check placed it, and leaves that grid as it found it: it answers
// "si" (keeping the engine's completion), "no", or "forse" when the engine
// may not be built, its building does not fit the allowance, or it runs
// out of it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "solver/bitutil.h"
#include "solver/corsa.h"
#include "solver/ricercapropria.h"
#include "solver/risposta.h"
#include "solver/sat.h"
#include "solver/statocompletamento.h"

// Only the check's own translation unit includes this: internal linkage
// lets the compiler inline what is called from one place.
namespace {

// Whether the learning engine may fit its bound (opzioni.migliaiadiclausole)
// at all: the pairs within the first level's cells alone, counted when it
// is first placed, pass it on a near-empty large grid, which then never
// pays for listing the engine's variables.
template <int W> bool puoentrare(const StatoCompletamento<W> &k) {
  long long coppie = 0;
  for (const RigaDi<W> &p : k.possibiliradice)
    coppie += static_cast<long long>(conta(p)) * (conta(p) - 1) / 2;
  return coppie <= k.opzioni.migliaiadiclausole * 1000;
}

// The answer for value v at cell c, with told level a's grid, that the
// first level's completions give, when they are known (every told level
// extends the first): none, none for any grid; only one, a completion
// exactly when it holds the grid and v.
template <int W> Risposta dallaradice(const StatoCompletamento<W> &k, std::size_t a, int c, int v) {
  const Sat &u = k.sat;
  if (u.unicita != Sat::Unicita::nessuna && u.unicita != Sat::Unicita::unica)
    return Risposta::forse;
  if (u.unicita == Sat::Unicita::nessuna || u.soluzione[c] != v)
    return Risposta::no;
  const Livelli &l = k.livelli;
  for (std::size_t x = 0; x < fine(l, a); ++x)
    if (l.base[l.celle[x]] != u.soluzione[l.celle[x]])
      return Risposta::no;
  return Risposta::si;
}

// Sizes the learning engine on the first grid's values (see contasat),
// once, when a question first needs it; past its bound it is never
// started.
template <int W> void misuramotore(StatoCompletamento<W> &k) {
  std::vector<int> valori, inizio;
  for (const RigaDi<W> &p : k.possibiliradice) {
    inizio.push_back(static_cast<int>(valori.size()));
    for (int v = primo(p); v >= 0; v = prossimo(p, v + 1))
      valori.push_back(v + 1);
  }
  inizio.push_back(static_cast<int>(valori.size()));
  const Livelli &l = k.livelli;
  std::vector<int> radice(k.valore.size(), 0);
  for (std::size_t x = 0; x < fine(l, 0); ++x)
    radice[l.celle[x]] = l.base[l.celle[x]];
  contasat(k.sat, k.n, radice, valori, inizio);
  k.consat = k.sat.coppie <= k.opzioni.migliaiadiclausole * 1000;
}

// Whether the learning engine has yet to be built to take a question: not
// started, and no verdict on the first grid that made it needless.
template <int W> bool daavviare(const StatoCompletamento<W> &k) {
  return !k.sat.motore && k.sat.unicita == Sat::Unicita::ignota;
}

// Units its building costs before it can take a question (sized).
template <int W> long long costomotore(const StatoCompletamento<W> &k) {
  return daavviare(k) ? k.conto->costruzione(k.sat.coppie) : 0;
}

// The learning engine on the grid of told level a with v at cell c, on
// `limite` units, counted in r: a share of them goes first to whether the
// first grid has one completion only.  Started at the first question
// whose allowance covers its building; where its clauses would pass
// opzioni.migliaiadiclausole, never: the answer stays open.
// On entry: esplora left the grid at level a's, or with v at c and what it
// implies on the top level.
template <int W>
Risposta chiedimotore(StatoCompletamento<W> &k, std::size_t a, int c, int v, long long limite,
                      Responso &r) {
  // Sized only within the first level's own bound: the question may have
  // been let through before that level was placed.
  if (k.consat && k.sat.inizio.empty())
    misuramotore(k);
  const long long costo = costomotore(k);
  if (!k.consat || costo > limite)
    return Risposta::forse;
  if (daavviare(k)) {
    const int motori = quantimotori(k.opzioni, k.sat.coppie);
    avviasat(k.sat, motori, k.opzioni.conflittiprimadellacorsa);
    r.motori += motori;
    r.spesi += costo;
    limite -= costo;
  }
  // The uniqueness proof takes several times the question's share beside
  // it: once known it answers every later question.  Charged to the
  // allowance, the hard puzzles' proofs (up to 200 000 conflicts) left it
  // spent, and the questions after went unanswered.
  const long long perconflitto = k.conto->conflitto(k.sat.coppie);
  for (long long resto = limite * k.opzioni.pesounicita / perconflitto;
       resto > 0 &&
       (k.sat.unicita == Sat::Unicita::ignota || k.sat.unicita == Sat::Unicita::verifica);
       resto -= std::max(1LL, k.sat.spesi)) {
    avanzaunicita(k.sat, resto);
    r.spesiunicita += k.sat.spesi * perconflitto;
  }
  if (const Risposta d = dallaradice(k, a, c, v); d != Risposta::forse)
    return d;
  // Asked on the grid as the check placed it: its cells filled by
  // propagation, and without the values the matchings took, which the
  // engine's clauses find only by search.  Those make the deep "no"s that
  // close subtrees.
  std::vector<int> escluse;
  for (int x = 0; x < k.n * k.n; ++x) {
    const RigaDi<W> via = senza(k.possibiliradice[x], k.possibili[x]);
    for (int w = primo(via); w >= 0 && x != c && k.valore[x] == 0; w = prossimo(via, w + 1))
      escluse.push_back(x * k.n + w);
  }
  const Risposta esito = chiedisat(k.sat, k.valore, c, v, limite / perconflitto, escluse);
  r.spesi += k.sat.spesi * perconflitto;
  if (esito == Risposta::si)
    tieni(k, k.sat.modello);
  return esito;
}

} // namespace
