#include "solver/inserisci.h"

#include <algorithm>
#include <vector>

#include "solver/completabile.h"
#include "solver/cubo.h"
#include "solver/univoci.h"

Lavoro lavoro;

// Each filter gathers the values its unit holds, then drops them at once.
Riga prendiriga(Riga possibili, int i, const Griglia &g) {
  Riga presenti;
  for (int v : g[i])
    aggiungivalore(presenti, v);
  return senza(possibili, presenti);
}

Riga prendicolonna(Riga possibili, int j, const Griglia &g) {
  Riga presenti;
  for (const auto &riga : g)
    aggiungivalore(presenti, riga[j]);
  return senza(possibili, presenti);
}

Riga prendiquadrato(Riga possibili, int i, int j, const Griglia &g) {
  const Limiti l = limiti(i, j, latoquadrato(static_cast<int>(g.size())));
  Riga presenti;
  for (int r = l.minriga; r < l.maxriga; ++r)
    for (int k = l.mincol; k < l.maxcol; ++k)
      aggiungivalore(presenti, g[r][k]);
  return senza(possibili, presenti);
}

namespace {

// The completion check's allowance, counted in the branches (or, on the
// questions the learning search takes up, its conflicts) of its own search
// over the whole search: a fixed part of about a second's worth at side 25
// (a branch visits about n * n cells and costs some 15 microseconds there,
// a conflict a few times more), and less on larger sides, which it would
// cost more (at side 64 the checks of the empty grid rule out nothing, and
// the fixed part was most of its time), plus one per search node, scaled
// down on sides above 25 as a branch costs more there (on the empty
// 100 x 100 grid, whose "no"s all come from propagation, one per node took
// 3.1 s, a sixteenth 0.93 s, with the same nodes).  Each question may spend
// half of what is left, so that one that wanders leaves some to the next:
// past it, the check answers "maybe", after propagating alone, and the
// search descends as it would without it.  Counting work instead of time
// keeps runs repeatable.
constexpr long long CELLE_FISSE = 62500000;
constexpr long long RAMI_MASSIMI_FISSI = 100000;
constexpr long long CELLE_PER_NODO = 625;
constexpr long long QUOTA = 2;
// The first look again at an open value, in search nodes; a look may spend
// as many units as the search entered nodes, scaled to the cost of a branch
// of the check on side 25 (a branch visits about n * n cells).
constexpr long long RIESAME_PRIMO = 64;
constexpr long long CELLE_RIESAME = 625;

// Whether value v+1 at (i, j) of grid g may lead to a completion; false
// only when the check proves it cannot.
template <int W> Risposta promettente(Completamento<W> &k, const Griglia &g, int i, int j, int v) {
  ++lavoro.controlli;
  const long long n = static_cast<long long>(g.size());
  const long long fisso = std::min(RAMI_MASSIMI_FISSI, CELLE_FISSE * 25 / (n * n * n));
  const long long pernodi = lavoro.nodi * CELLE_PER_NODO / std::max(CELLE_PER_NODO, n * n);
  const long long credito = controlloesteso ? 1 : (fisso + pernodi - lavoro.nodicontrollo) / QUOTA;
  const Risposta r = completabile(k, g, i, j, v + 1, credito);
  lavoro.nodicontrollo += k.nodi;
  lavoro.nodiunicita += k.nodiunicita;
  lavoro.esclusi += r == Risposta::no;
  lavoro.incerti += r == Risposta::forse;
  lavoro.testimoni += k.datestimone;
  return r;
}

// One node on the current search path.
struct Nodo {
  int i, j;           // the cell this node guesses
  std::size_t inizio; // its first entry in the list of placed cells
  Riga possibili;     // values still to try at (i, j)
  std::size_t marca;  // length of the cube's log when the cube was that of the node's grid
  Riga sporchi;       // planes a child's deduction pass has to sweep
  bool incerto;       // the check left the current value open
};

// The search with lines of W words.
//
// The cube follows the path: on entering a node it is the cube built from
// the node's grid.  Each pass ends with every plane giving nothing; giving
// back the eliminated candidates changes only the planes they belong to,
// and a guess only the planes of the values the cell could take, so a
// child's pass starts with just those planes to sweep (a pass that stops at
// a dead end leaves its node at once, and the parent's next value rebuilds
// the notes it left).  Trying the next value first takes the cube back to
// the node's grid through its log, and rebuilds its notes (rifainote).
template <int W, int L> bool cerca(Griglia &g, int i, int j) {
  const int n = static_cast<int>(g.size());
  CuboDi<W, L> cubo;
  std::vector<Cella> piazzate;          // cells placed by deduction along the path, in order
  std::vector<Nodo> percorso;           // the nodes of the path, root first
  std::vector<Tolto> eliminati;         // what the current node's eliminations removed
  const Riga valori = intervallo(0, n); // values 1..n as bits 0..n-1
  Completamento<W> verifica;
  if (controllocompletamento)
    preparacompletamento(verifica, n);
  // Empties the cells placed by deduction from the k-th on.
  const auto svuotadal = [&](std::size_t k) {
    for (std::size_t m = k; m < piazzate.size(); ++m) {
      svuotacella(g, cubo, piazzate[m].i, piazzate[m].j);
      --classifica;
    }
    piazzate.resize(k);
  };
  // Back in the parent of a node that failed; false at the root.  The
  // parent's guess is undone by its next one or by its own undo.
  bool entra = true;
  const auto risali = [&] {
    if (percorso.empty())
      return false;
    --classifica;
    --primozero;
    entra = false;
    return true;
  };

  // Leaves the last node of the path as failed: empties its guessed cell and
  // its deductions; false when it was the root.
  const auto abbandona = [&] {
    const Nodo &nodo = percorso.back();
    svuotacella(g, cubo, nodo.i, nodo.j);
    svuotadal(nodo.inizio);
    percorso.pop_back();
    return risali();
  };
  // A subtree the check left open may be closed later: once the search has
  // entered twice as many nodes as at the last look, the shallowest open
  // value is asked again (see CELLE_RIESAME), so that the looks cost about
  // as much as the search.  When its grid has no completion, the nodes below
  // it are left as failed: the subtree would fail, and a subtree that fails
  // leaves no trace.
  long long prossimoriesame = controlloesteso ? 2 : RIESAME_PRIMO;
  const auto riesamina = [&] {
    prossimoriesame = 2 * lavoro.nodi;
    std::size_t a = 0;
    while (a + 1 < percorso.size() && !percorso[a].incerto)
      ++a;
    if (a + 1 >= percorso.size())
      return false;
    Griglia sua = g; // the grid of node a, with its current value
    for (std::size_t b = a + 1; b < percorso.size(); ++b)
      sua[percorso[b].i][percorso[b].j] = 0;
    for (std::size_t m = percorso[a + 1].inizio; m < piazzate.size(); ++m)
      sua[piazzate[m].i][piazzate[m].j] = 0;
    const Nodo &nodo = percorso[a];
    const long long credito = std::max(1LL, lavoro.nodi * CELLE_RIESAME / (n * n));
    const Risposta r = completabile(verifica, sua, nodo.i, nodo.j, g[nodo.i][nodo.j], credito);
    ++lavoro.riesami;
    lavoro.nodiriesame += verifica.nodi;
    lavoro.nodiunicita += verifica.nodiunicita;
    if (r == Risposta::forse)
      return false;
    percorso[a].incerto = false;
    if (r == Risposta::si)
      return false;
    ++lavoro.chiusi;
    while (percorso.size() > a + 1)
      abbandona();
    return true;
  };

  // Enter a node at (i, j); then, as long as the path is not empty, give its
  // last node its next value (descending into a new node) or undo it.
  while (true) {
    if (entra) {
      ++lavoro.nodi;
      const std::size_t inizio = piazzate.size();
      Riga sporchi = valori;
      if (percorso.empty())
        inizializza(n, g, cubo);
      else
        sporchi = percorso.back().sporchi;
      eliminati.clear();
      // Below the root (whose pass is reported whole) the pass stops at a
      // dead end it can already see: no value to try either.
      const bool fermo = univoci(n, cubo, g, piazzate, sporchi, eliminati, primozero != 0);
      if (!fermo && !primavuotada(cubo, i, j))
        return true;
      Riga possibili;
      if (!fermo) {
        possibili = valori;
        possibili = prendiriga(possibili, i, g);
        possibili = prendicolonna(possibili, j, g);
        possibili = prendiquadrato(possibili, i, j, g);
      }
      if (vuota(possibili)) {
        // A dead end: no value to try.  Its deductions are undone here; its
        // cube goes back with the parent's next value (through the log, and
        // rebuilding the notes), so it needs no give-back.
        svuotadal(inizio);
        if (!risali())
          return false;
        continue;
      }
      const Riga restituiti = restituisci(cubo, g, eliminati);
      percorso.push_back({i, j, inizio, possibili, cubo.tolti, possibili | restituiti, false});
      if (controllocompletamento && lavoro.nodi >= prossimoriesame && riesamina())
        continue;
    }
    Nodo &nodo = percorso.back();
    const int v = precedente(nodo.possibili, n - 1);
    if (v >= 0) {
      togli(nodo.possibili, v);
      // A value whose grid has no completion fails as its subtree would;
      // the first guess still reports it.
      const Risposta r =
          controllocompletamento ? promettente(verifica, g, nodo.i, nodo.j, v) : Risposta::forse;
      nodo.incerto = r == Risposta::forse;
      if (r == Risposta::no) {
        if (primozero == 0)
          console("Sottoramo Principale " + std::to_string(v + 1) + "\n");
        entra = false;
        continue;
      }
      int &cella = g[nodo.i][nodo.j];
      if (cella != 0) {
        libera(cubo, nodo.i, nodo.j, cella); // the previous guess
        ripristina(cubo, nodo.marca);
        rifainote(cubo);
      }
      cella = v + 1;
      segna(cubo, nodo.i, nodo.j, cella);
      occupa(cubo, v, nodo.i, nodo.j);
      ++classifica;
      passi[nodo.i][nodo.j] = codicepasso(classifica, PASSO_IPOTESI);
      if (primozero == 0)
        console("Sottoramo Principale " + std::to_string(v + 1) + "\n");
      ++primozero;
      i = nodo.i;
      j = nodo.j;
      entra = true;
      continue;
    }
    if (!abbandona())
      return false;
  }
}

} // namespace

bool inserisci(Griglia &g, int i, int j) {
  lavoro = {};
  // The common sides run code of their own, their geometry fixed at compile time.
  switch (g.size()) {
  case 9:
    return cerca<1, 9>(g, i, j);
  case 16:
    return cerca<1, 16>(g, i, j);
  case 25:
    return cerca<1, 25>(g, i, j);
  default:
    return g.size() <= 64 ? cerca<1, 0>(g, i, j) : cerca<2, 0>(g, i, j);
  }
}
