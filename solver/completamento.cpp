#include "solver/completamento.h"

#include "solver/abbinamento.h"
#include "solver/guidamotore.h"
#include "solver/propagazione.h"
#include "solver/ricercapropria.h"
#include "solver/statocompletamento.h"
#include "solver/traccia.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>

namespace {

// Empties the check's grid (every unit's matching to find again, no change
// to undo) and fills `celle` with their asked values at once: each empty
// cell gets the values its row, column and box leave, and each unit its
// counts, without placing the cells one by one through the trail (on a
// large grid that is mostly filled, that cost far more than the search's
// own work).
// Queues the cells and units left with one choice, for propaga.  False when
// an empty cell is left without a value.
template <int W> bool impianta(StatoCompletamento<W> &k, std::span<const int> celle) {
  const int n = k.n;
  std::fill(k.valore.begin(), k.valore.end(), 0);
  std::fill(k.abbinamenti.daabbinare.begin(), k.abbinamenti.daabbinare.end(), 1);
  std::fill(k.abbinamenti.dapotare.begin(), k.abbinamenti.dapotare.end(), 1);
  std::fill(k.abbinamenti.vuote.begin(), k.abbinamenti.vuote.end(), k.forma.tuttivalori);
  k.traccia.clear();
  k.coda.clear();
  k.soli.clear();
  // Values present in each row, column, and box (as unit indices).
  std::vector<RigaDi<W>> presenti(static_cast<std::size_t>(scatola(k, n * n - 1) + 1));
  for (int c : celle) {
    const int v = k.livelli.base[c] - 1;
    k.valore[c] = v + 1;
    k.fase[c] = v + 1;
    metti(presenti[c / n], v);
    metti(presenti[n + c % n], v);
    metti(presenti[scatola(k, c)], v);
    const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(c)];
    for (int x = 0; x < k.abbinamenti.percella; ++x)
      k.abbinamenti.valoretenuto[u[x + 3]] = v;
    segnapiena(k, c, true);
  }
  std::fill(k.quanti.begin(), k.quanti.end(), 0);
  bool ok = true;
  for (int c = 0; c < n * n; ++c) {
    RigaDi<W> &p = k.possibili[c];
    if (k.valore[c] != 0) {
      p = RigaDi<W>{};
      metti(p, k.valore[c] - 1);
    } else {
      p = senza(k.forma.tuttivalori,
                presenti[c / n] | presenti[n + c % n] | presenti[scatola(k, c)]);
      ok = ok && !vuota(p);
      if (!vuota(p) && unico(p))
        k.coda.push_back(c);
    }
    const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(c)];
    for (int v = primo(p); v >= 0; v = prossimo(p, v + 1))
      for (int x = 0; x < k.forma.unitapercella; ++x)
        ++k.quanti[u[x] * n + v];
  }
  // A value not placed in a unit, with one place there or none.
  for (int x = 0; x < static_cast<int>(k.forma.unita.size()); ++x)
    for (int v = 0; v < n; ++v)
      if (k.quanti[x * n + v] <= 1 && !ha(presenti[x], v))
        k.soli.push_back(x * n + v);
  return ok;
}

// Plants the first level's grid on the empty grid and propagates it.  The
// values each cell may then hold are what the learning engine needs
// variables for.
template <int W> void pianta(StatoCompletamento<W> &k) {
  Livelli &l = k.livelli;
  l.posate = fine(l, 0);
  Livello &radice = l.livelli[0];
  radice.marca = 0;
  radice.contraddizione =
      !(impianta(k, std::span<const int>(l.celle).first(l.posate)) && propaga(k) && abbinabili(k));
  // Taken before the pruning: without the values it takes, CaDiCaL did
  // worse on the hard 25 x 25 puzzles.
  k.possibiliradice = k.possibili;
  k.consat = puoentrare(k);
  radice.contraddizione = radice.contraddizione || !stabilizza(k);
}

// Places the cells of told level b (1..) that the grid does not hold yet,
// on top of the levels below (placed, at rest), and propagates; a level
// over one without completion has none either.
template <int W> void ponilivello(StatoCompletamento<W> &k, std::size_t b) {
  Livelli &l = k.livelli;
  Livello &livello = l.livelli[b];
  if (l.posate == livello.inizio)
    livello.marca = k.traccia.size();
  const std::size_t da = l.posate;
  l.posate = fine(l, b);
  if (l.livelli[b - 1].contraddizione) {
    livello.contraddizione = true;
    return;
  }
  bool ok = true;
  for (std::size_t x = da; x < l.posate; ++x)
    ok = ok && piazza(k, l.celle[x], l.base[l.celle[x]]);
  livello.contraddizione = !(ok && propaga(k) && abbinabili(k)) || !stabilizza(k);
}

// Drops the grid kept from a question, if any.
template <int W> void lasciatenuta(StatoCompletamento<W> &k) {
  if (k.livelli.tenuta)
    annulla(k, k.livelli.marcatenuta);
  k.livelli.tenuta = false;
}

// Brings the check's grid to that of told levels 0..a, at rest: the levels
// above are taken off it (they stay told), those up to a placed as far as
// they are not.  The first level is planted at its first question.
template <int W> void allinea(StatoCompletamento<W> &k, std::size_t a) {
  Livelli &l = k.livelli;
  lasciatenuta(k);
  if (k.possibiliradice.empty())
    pianta(k);
  if (l.posate > fine(l, a)) {
    annulla(k, l.livelli[a + 1].marca);
    l.posate = fine(l, a);
  }
  // The first level not placed whole: the last one starting at or before
  // the first cell not placed (the first level is).
  const auto dopo = std::upper_bound(l.livelli.begin(), l.livelli.end(), l.posate,
                                     [](std::size_t x, const Livello &v) { return x < v.inizio; });
  for (std::size_t b = std::max<std::size_t>(1, dopo - l.livelli.begin() - 1); b <= a; ++b)
    if (l.posate < fine(l, b))
      ponilivello(k, b);
}

// Brings the check's grid to that of told level a with v at cell c and
// searches it for a completion until spesi passes `limite`.  Asked
// about the top level, a grid left open is kept, so that the next question,
// on the grid of the node the search enters, pays only for what is new.
template <int W>
Risposta esplora(StatoCompletamento<W> &k, std::size_t a, int c, int v, long long limite,
                 long long &spesi) {
  allinea(k, a);
  if (k.livelli.livelli[a].contraddizione)
    return Risposta::no;
  const std::size_t marca = k.traccia.size();
  if (!piazza(k, c, v) || !propaga(k) || !abbinabili(k)) {
    annulla(k, marca);
    return Risposta::no;
  }
  const std::size_t riposo = k.traccia.size();
  const Risposta r = cercacompletamento(k, limite, spesi);
  if (r == Risposta::no || a + 1 < k.livelli.livelli.size()) {
    annulla(k, marca);
    return r;
  }
  annulla(k, riposo);
  k.livelli.tenuta = true;
  k.livelli.marcatenuta = marca;
  return r;
}

} // namespace

template <int W> Completamento<W>::Completamento() = default;
template <int W> Completamento<W>::~Completamento() = default;

template <int W> void Completamento<W>::prepara(int n, const Opzioni &o, const Conto &conto) {
  stato = std::make_unique<StatoCompletamento<W>>();
  StatoCompletamento<W> &k = *stato;
  k.n = n;
  k.conto = &conto;
  k.opzioni = o;
  k.quadrati = Quadrati(n);
  Forma<W> &f = k.forma;
  f.quadrata = k.quadrati.q * k.quadrati.q == n;
  f.tuttivalori = intervallo<W>(0, n);
  f.unita.resize(static_cast<std::size_t>(f.quadrata ? 3 * n : 2 * n));
  f.unitapercella = f.quadrata ? 3 : 2;
  for (int c = 0; c < n * n; ++c) {
    f.unita[c / n].push_back(c);
    f.unita[n + c % n].push_back(c);
    if (f.quadrata)
      f.unita[scatola(k, c)].push_back(c);
  }
  f.posti.resize(static_cast<std::size_t>(n * n));
  for (int x = 0; x < static_cast<int>(f.unita.size()); ++x)
    for (int p = 0; p < n; ++p) {
      std::array<int, 6> &u = f.posti[static_cast<std::size_t>(f.unita[x][p])];
      u[x / n] = x;
      u[x / n + 3] = x * n + p;
    }
  const std::size_t celle = static_cast<std::size_t>(n * n);
  k.possibili.resize(celle);
  k.fallimenti.resize(celle);
  for (std::vector<int> *v : {&k.valore, &k.livelli.base, &k.testimone, &k.fase})
    v->resize(celle);
  k.quanti.resize(f.unita.size() * static_cast<std::size_t>(n));
  Abbinamenti<W> &m = k.abbinamenti;
  m.quante = f.quadrata && n >= o.latoscatoleabbinate ? 3 * n : 2 * n;
  m.percella = m.quante / n;
  m.daabbinare.resize(f.unita.size());
  m.dapotare.resize(f.unita.size());
  m.vuote.resize(f.unita.size());
  m.valoretenuto.assign(3 * celle, -1);
  k.consat = true;
}

template <int W>
void Completamento<W>::entra(const std::vector<int> &celle, const Griglia &g, bool figlio) {
  StatoCompletamento<W> &k = *stato;
  Livelli &l = k.livelli;
  // The node the last question kept the grid of: its first cell stands.
  const bool tenuto = figlio && l.tenuta;
  if (!tenuto)
    lasciatenuta(k);
  l.tenuta = false;
  std::size_t discordi = l.livelli.empty() ? 0 : l.livelli.back().discordi;
  for (int c : celle) {
    l.base[c] = g[c / k.n][c % k.n];
    discordi += k.testimone[c] != l.base[c];
  }
  l.livelli.push_back({l.celle.size(), tenuto ? l.marcatenuta : 0, false, discordi});
  if (tenuto)
    l.posate = l.celle.size() + 1;
  l.celle.insert(l.celle.end(), celle.begin(), celle.end());
}

template <int W> void Completamento<W>::esci() {
  StatoCompletamento<W> &k = *stato;
  Livelli &l = k.livelli;
  lasciatenuta(k);
  const std::size_t a = l.livelli.size() - 1, inizio = l.livelli[a].inizio;
  // The first level needs no undoing: the next one is planted afresh.
  if (a > 0 && l.posate > inizio)
    annulla(k, l.livelli[a].marca);
  l.posate = std::min(l.posate, inizio);
  for (std::size_t x = inizio; x < l.celle.size(); ++x)
    l.base[l.celle[x]] = 0;
  l.celle.resize(inizio);
  l.livelli.pop_back();
  if (a == 0) {
    // A new first level: the engine's ground goes with the old one.
    k.possibiliradice.clear();
    k.sat = Sat{};
    k.consat = true;
  }
}

template <int W>
Responso Completamento<W>::chiedi(std::size_t a, int i, int j, int v, long long credito) {
  StatoCompletamento<W> &k = *stato;
  // A grid kept from an earlier question serves no node the search enters.
  lasciatenuta(k);
  const int c = i * k.n + j;
  Responso r;
  // The kept completion agrees with the asked grid (which has c empty) and v.
  r.testimone = k.testimone[c] == v && k.livelli.livelli[a].discordi == 0;
  r.risposta = r.testimone ? Risposta::si : dallaradice(k, a, c, v);
  if (r.risposta != Risposta::forse)
    return r;
  // The own search first, on a short allowance when the learning engine
  // stands behind it: it finds completions near the kept one, and
  // contradictions within reach, faster; the engine proves the hard "no"s,
  // and what it learns stays for the questions after.  The engine may take
  // the question when it is not yet sized (at its first question) or its
  // building fits the allowance.
  const bool conmotore = k.consat && (k.sat.inizio.empty() || costomotore(k) <= credito);
  r.risposta = esplora(k, a, c, v,
                       conmotore ? std::min(credito, k.conto->primadelmotore()) : credito, r.spesi);
  if (r.risposta == Risposta::forse && conmotore && credito - r.spesi > 0)
    r.risposta = chiedimotore(k, a, c, v, credito - r.spesi, r);
  return r;
}

template class Completamento<1>;
template class Completamento<2>;
