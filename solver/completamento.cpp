#include "solver/completamento.h"

#include "solver/abbinamento.h"
#include "solver/statocompletamento.h"
#include "solver/traccia.h"

#include "solver/corsa.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>

namespace {

// Places value v+1 (still possible there) in empty cell c and takes it from
// the cell's row, column and box; false when that leaves a cell without a
// value.
template <int W> bool assegna(StatoCompletamento<W> &k, int c, int v) {
  k.traccia.push_back({c, -1});
  fissa(k, c, v);
  segnapiena(k, c, true);
  k.valore[c] = v + 1;
  k.fase[c] = v + 1;
  RigaDi<W> via;
  metti(via, v);
  perdeposti(k, c, senza(k.possibili[c], via));
  k.possibili[c] = via;
  const int n = k.n, i = c / n, j = c % n;
  // Cell by cell along the row and the column, then the box, each only
  // until the cells that could take v, besides c, are all met.
  int riga = k.quanti[i * n + v] - 1, colonna = k.quanti[(n + j) * n + v] - 1;
  for (int x = 0; x < n && riga + colonna > 0; ++x)
    if (!escludi(k, i * n + x, via, riga) || !escludi(k, x * n + j, via, colonna))
      return false;
  const int q = k.quadrati.q, r0 = i / q * q, c0 = j / q * q;
  int resto = k.forma.quadrata ? k.quanti[k.forma.posti[c][2] * n + v] - 1 : n;
  for (int r = r0; r < r0 + q && resto > 0; ++r)
    for (int s = c0; s < c0 + q; ++s)
      if (!escludi(k, r * n + s, via, resto))
        return false;
  return true;
}

// Deduces until nothing changes, false on a contradiction: a queued cell
// with one value left gets it, and, when `unita`, a value with one place
// left in a unit takes it (a value with none is a contradiction).  Rows and
// columns hold every value; so do boxes when the side is a square (the
// units counted in quanti).  Looks only at the cells and values queued
// since, each cell before any unit.
template <int W> bool propaga(StatoCompletamento<W> &k, bool unita = true) {
  while (!k.coda.empty() || (unita && !k.soli.empty())) {
    int c = -1, v = 0;
    if (!k.coda.empty()) {
      c = k.coda.back();
      k.coda.pop_back();
      v = primo(k.possibili[c]);
    } else {
      const int h = k.soli.back();
      k.soli.pop_back();
      // Counts only fall while propagating: one queued at one may be at none.
      if (k.quanti[h] == 0)
        return false;
      v = h % k.n;
      for (int d : k.forma.unita[static_cast<std::size_t>(h / k.n)])
        if (ha(k.possibili[d], v))
          c = d;
    }
    if (k.valore[c] == 0 && !assegna(k, c, v))
      return false;
  }
  return true;
}

// Propagation and the units' matchings until nothing changes, false on a
// contradiction; each matched unit also loses the values no matching gives
// (pota, see opzioni.potaturafino), and what that leaves is propagated.
template <int W> bool stabilizza(StatoCompletamento<W> &k) {
  while (true) {
    if (!propaga(k))
      return false;
    const std::size_t prima = k.traccia.size();
    if (!abbinabili(k, k.opzioni.potaturafino > 0))
      return false;
    if (k.traccia.size() == prima)
      return true;
  }
}

// The empty cell to branch on: fewest values for its failures (the ratio
// of values to failures + 1 least); -1 when the grid is full.
template <int W> int scegli(const StatoCompletamento<W> &k) {
  int migliore = -1;
  long long valori = 1, falliti = 0; // the best ratio so far: valori / falliti
  for (int c = 0; c < k.n * k.n; ++c)
    if (k.valore[c] == 0) {
      const long long qc = conta(k.possibili[c]), pc = k.fallimenti[c] + 1;
      if (migliore < 0 || qc * falliti < valori * pc) {
        migliore = c;
        valori = qc;
        falliti = pc;
      }
    }
  return migliore;
}

// Places value x (1..n) in cell c of the check's grid, if c is empty;
// false when c holds another value or can no longer take x.
template <int W> bool piazza(StatoCompletamento<W> &k, int c, int x) {
  if (k.valore[c] != 0)
    return k.valore[c] == x;
  return ha(k.possibili[c], x - 1) && assegna(k, c, x - 1);
}

// The end of told level b's cells in Livelli::celle.
std::size_t fine(const Livelli &l, std::size_t b) {
  return b + 1 < l.livelli.size() ? l.livelli[b + 1].inizio : l.celle.size();
}

// Keeps t as the last completion found, and the value each cell last had;
// counts again, level by level, the told cells it fills otherwise.
template <int W> void tieni(StatoCompletamento<W> &k, const std::vector<int> &t) {
  k.testimone = k.fase = t;
  Livelli &l = k.livelli;
  std::size_t discordi = 0;
  for (std::size_t b = 0; b < l.livelli.size(); ++b) {
    for (std::size_t x = l.livelli[b].inizio; x < fine(l, b); ++x)
      discordi += t[l.celle[x]] != l.base[l.celle[x]];
    l.livelli[b].discordi = discordi;
  }
}

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

// A quick try before the search: fills the empty cells in order, each
// with the value it last had when it still can (else its first), passing on
// only the cells left with one value.  Near a completion found before, as
// the grids of one search mostly are, this mends it at the cost of a
// placement per cell.  True with the grid full (kept as the completion);
// false at the first cell left without a value.
template <int W> bool ripara(StatoCompletamento<W> &k) {
  for (int c = 0; c < k.n * k.n; ++c) {
    if (k.valore[c] != 0)
      continue;
    int v = primo(k.possibili[c]);
    if (k.fase[c] != 0 && ha(k.possibili[c], k.fase[c] - 1))
      v = k.fase[c] - 1;
    if (!assegna(k, c, v) || !propaga(k, false))
      return false;
  }
  tieni(k, k.valore);
  return true;
}

// The check's own search from the current grid, at rest, until the
// question's units (spesi, which it adds to) pass `limite`: the quick mend
// (ripara) first, then depth first, branching on scegli's cell, the value
// it last had there first; a branch fails when propagation or the units'
// matching does.  Leaves the grid changed: the caller undoes.
template <int W>
Risposta cercacompletamento(StatoCompletamento<W> &k, long long limite, long long &spesi) {
  const std::size_t partenza = k.traccia.size();
  // Without allowance, propagation alone answers.
  if (limite <= 0)
    return Risposta::forse;
  std::vector<int> fasi = k.fase; // as they were before the mend
  if (ripara(k))
    return Risposta::si;
  annulla(k, partenza);
  k.fase.swap(fasi);
  std::vector<Scelta<W>> pila; // the path
  bool scendi = true;
  while (true) {
    if (scendi) {
      const int c = scegli(k);
      if (c < 0) {
        tieni(k, k.valore);
        return Risposta::si;
      }
      pila.push_back({c, k.possibili[c], k.traccia.size()});
    }
    Scelta<W> &s = pila.back();
    annulla(k, s.marca);
    if (vuota(s.rimasti)) {
      pila.pop_back();
      if (pila.empty())
        return Risposta::no;
      scendi = false;
      continue;
    }
    spesi += k.conto->ramo();
    if (spesi > limite)
      return Risposta::forse;
    int v = primo(s.rimasti);
    if (k.fase[s.cella] != 0 && ha(s.rimasti, k.fase[s.cella] - 1))
      v = k.fase[s.cella] - 1;
    togli(s.rimasti, v);
    // A failure of the matching alone is not counted against the cell:
    // counted, it sent the branching astray (one question of a hard
    // 25 x 25 puzzle ran out of its allowance).
    scendi = assegna(k, s.cella, v) && propaga(k);
    if (!scendi)
      ++k.fallimenti[s.cella];
    scendi = scendi && abbinabili(k);
  }
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
