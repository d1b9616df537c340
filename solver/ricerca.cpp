#include "solver/ricerca.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "solver/completamento.h"
#include "solver/cubo.h"
#include "solver/deduzione.h"

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

// What `nodi` search nodes earn the check's allowance (opzioni.h), and
// apart the looks at the open values (see riesamina).
long long guadagno(const Opzioni &o, long long n, long long nodi) {
  return nodi * o.creditopernodo * std::max(25LL, n) / 25;
}

// What is left of the check's allowance: a fixed part and a part that
// grows with the search's nodes, less every unit spent so far.  Counting
// work instead of time keeps runs repeatable.
long long disponibile(const Opzioni &o, long long n) {
  return o.creditofisso + guadagno(o, n, lavoro.nodi) - lavoro.unitacontrollo;
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

// The search with lines of W words, its state and its steps.
//
// The cube follows the path: on entering a node it is the cube built from
// the node's grid.  Each pass ends with every plane giving nothing; giving
// back the eliminated candidates changes only the planes they belong to,
// and a guess only the planes of the values the cell could take, so a
// child's pass starts with just those planes to sweep (a pass that stops at
// a dead end leaves its node at once, and the parent's next value rebuilds
// the notes it left).  Trying the next value first takes the cube back to
// the node's grid through its log, and rebuilds its notes (rifainote).
template <int W, int L> struct Ricerca {
  Griglia &g;             // the grid searched, the process-wide tabella
  const Opzioni &o;       // the settings
  const Ascolto &ascolto; // sees the check's questions (may be empty)
  const int n = static_cast<int>(g.size());
  CuboDi<W, L> cubo;                         // candidates of the grid of the current node
  std::vector<Cella> piazzate;               // cells placed by deduction along the path, in order
  std::vector<Nodo> percorso;                // the nodes of the path, root first
  std::vector<Tolto> eliminati;              // what the current node's eliminations removed
  const Riga valori = intervallo(0, n);      // values 1..n as bits 0..n-1
  Completamento<W> esame;                    // the completion check, prepared at its first question
  int aperti = 0;                            // nodes of the path whose current value is open
  long long prossimoriesame = o.riesameogni; // nodes at which the open values are next looked at
  long long ultimoriesame = 0;               // nodes at the last look
  long long riserva = 0; // units the looks have earned and not spent (may fall below 0)
  long long soglia = guadagno(o, n, o.riesameogni); // units a look needs to start
  std::vector<int> nuove; // scratch: the cells a node fills beyond its parent's grid

  Ricerca(Griglia &griglia, const Opzioni &opzioni, const Ascolto &a)
      : g(griglia), o(opzioni), ascolto(a) {}

  // Empties the cells placed by deduction from the k-th on.
  void svuotadal(std::size_t k) {
    for (std::size_t m = k; m < piazzate.size(); ++m) {
      svuotacella(g, cubo, piazzate[m].i, piazzate[m].j);
      --classifica;
    }
    piazzate.resize(k);
  }

  // Back in the parent of a node that failed; false at the root.  The
  // parent's guess is undone by its next one or by its own undo.
  bool risali() {
    if (percorso.empty())
      return false;
    --classifica;
    --primozero;
    return true;
  }

  // Leaves the last node of the path as failed: empties its guessed cell and
  // its deductions; false when it was the root.
  bool abbandona() {
    const Nodo &nodo = percorso.back();
    svuotacella(g, cubo, nodo.i, nodo.j);
    svuotadal(nodo.inizio);
    aperti -= nodo.incerto;
    percorso.pop_back();
    if (esame.n != 0)
      toglilivello(esame);
    return risali();
  }

  // The grid of node a of the path, with its current value.
  Griglia grigliadi(std::size_t a) const {
    Griglia sua = g;
    for (std::size_t b = a + 1; b < percorso.size(); ++b)
      sua[percorso[b].i][percorso[b].j] = 0;
    for (std::size_t m = percorso[a + 1].inizio; m < piazzate.size(); ++m)
      sua[piazzate[m].i][piazzate[m].j] = 0;
    return sua;
  }

  // Asks the check whether node a's grid with value v (1..n) at its cell
  // has a completion, on `credito` units.  The check is prepared at the
  // first question, at the root (a search that asks nothing pays nothing),
  // and told the root's grid; every node entered after is told by entra.
  Risposta chiedi(std::size_t a, int v, long long credito) {
    const Nodo &nodo = percorso[a];
    if (ascolto)
      ascolto(a + 1 == percorso.size() ? g : grigliadi(a), nodo.i, nodo.j, v, credito);
    if (esame.n == 0) {
      preparacompletamento(esame, n, o);
      nuove.clear();
      for (int c = 0; c < n * n; ++c)
        if (g[c / n][c % n] != 0 && c != nodo.i * n + nodo.j)
          nuove.push_back(c);
      aggiungilivello(esame, nuove, g);
    }
    return completabile(esame, a, nodo.i, nodo.j, v, credito);
  }

  // Whether value v+1 at the last node's cell may lead to a completion; no
  // only when the check proves it cannot.
  Risposta promettente(int v) {
    if (!o.controllo)
      return Risposta::forse;
    ++lavoro.controlli;
    const Nodo &nodo = percorso.back();
    long long credito = disponibile(o, n) / o.quota;
    // Below a value left open, the learning engine's work goes to that value
    // instead (see riesamina), whose "no" spares the whole subtree: a
    // question here gets the own search's share only (the check was
    // prepared by the question that left that value open).
    if (aperti > nodo.incerto)
      credito = std::min(credito, o.ramiprimadelsat * esame.pesoramo);
    const Risposta r = chiedi(percorso.size() - 1, v + 1, credito);
    lavoro.unitacontrollo += esame.spesi;
    lavoro.unitaunicita += esame.unicita;
    lavoro.esclusi += r == Risposta::no;
    lavoro.incerti += r == Risposta::forse;
    lavoro.testimoni += esame.datestimone;
    return r;
  }

  // Marks the value of node a as answered.
  void chiudi(std::size_t a) {
    aperti -= percorso[a].incerto;
    percorso[a].incerto = false;
  }

  // A subtree the check left open may be closed later.  Every riesameogni
  // nodes the search earns its looks some units; once they reach `soglia`,
  // the open values of the path are asked again on them.  The path's grids
  // nest, so where one has a completion every shallower one has: a binary
  // search finds the shallowest open value without, asking O(log depth)
  // questions.  Its subtree would fail, and a subtree that fails leaves no
  // trace, so its nodes are left as failed.  A look that ends open doubles
  // `soglia`: a hard "no" gets ever longer runs of the engine, and the
  // search's own walk keeps at least about half of the time.  True when it
  // left some nodes.
  bool riesamina() {
    riserva += guadagno(o, n, lavoro.nodi - ultimoriesame);
    ultimoriesame = lavoro.nodi;
    prossimoriesame = lavoro.nodi + o.riesameogni;
    if (aperti == 0 || riserva < soglia)
      return false;
    std::vector<std::size_t> dove; // the open values' nodes, shallowest first
    for (std::size_t a = 0; a + 1 < percorso.size(); ++a)
      if (percorso[a].incerto)
        dove.push_back(a);
    std::size_t da = 0, a = dove.size(), chiuso = SIZE_MAX;
    while (da < a) {
      const std::size_t mezzo = da + (a - da) / 2;
      const Nodo &nodo = percorso[dove[mezzo]];
      const Risposta r =
          chiedi(dove[mezzo], g[nodo.i][nodo.j], std::max(disponibile(o, n) / o.quota, riserva));
      riserva -= esame.spesi;
      ++lavoro.riesami;
      lavoro.unitariesame += esame.spesi;
      lavoro.unitacontrollo += esame.spesi;
      lavoro.unitaunicita += esame.unicita;
      if (r == Risposta::forse) {
        soglia *= 2;
        break;
      }
      if (r == Risposta::si) {
        for (std::size_t x = da; x <= mezzo; ++x)
          chiudi(dove[x]);
        da = mezzo + 1;
      } else {
        chiuso = dove[mezzo];
        a = mezzo;
      }
    }
    if (chiuso == SIZE_MAX)
      return false;
    ++lavoro.chiusi;
    while (percorso.size() > chiuso + 1)
      abbandona();
    chiudi(chiuso);
    return true;
  }

  // Enters a node at (i, j): its deduction pass, then the values to guess
  // there.  Returns 1 when the grid is complete, 0 when the node is on the
  // path with values to try, -1 when it failed (its parent is then the
  // current node, if any: see risali).
  int entra(int i, int j) {
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
      return 1;
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
      return -1;
    }
    const Riga restituiti = restituisci(cubo, g, eliminati);
    percorso.push_back({i, j, inizio, possibili, cubo.tolti, possibili | restituiti, false});
    if (esame.n != 0) {
      const Nodo &genitore = percorso[percorso.size() - 2];
      nuove.assign(1, genitore.i * n + genitore.j);
      for (std::size_t m = inizio; m < piazzate.size(); ++m)
        nuove.push_back(piazzate[m].i * n + piazzate[m].j);
      aggiungilivello(esame, nuove, g);
    }
    return 0;
  }

  // Places value v+1 at the last node's cell, in place of its previous
  // guess, and reports the step.
  void ipotizza(Nodo &nodo, int v) {
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
  }

  // Enters the root at (i, j); then, as long as the path is not empty,
  // gives its last node its next value (entering a new node) or undoes it.
  bool esegui(int i, int j) {
    bool entrare = true;
    while (true) {
      if (entrare) {
        entrare = false;
        const int esito = entra(i, j);
        if (esito > 0)
          return true;
        if (esito < 0) {
          if (!risali())
            return false;
          continue;
        }
        if (o.controllo && lavoro.nodi >= prossimoriesame && riesamina())
          continue;
      }
      Nodo &nodo = percorso.back();
      const int v = precedente(nodo.possibili, n - 1);
      if (v < 0) {
        if (!abbandona())
          return false;
        continue;
      }
      togli(nodo.possibili, v);
      // A value whose grid has no completion fails as its subtree would;
      // the first guess still reports it.
      const Risposta r = promettente(v);
      aperti -= nodo.incerto;
      nodo.incerto = r == Risposta::forse;
      aperti += nodo.incerto;
      if (r == Risposta::no) {
        if (primozero == 0)
          console("Sottoramo Principale " + std::to_string(v + 1) + "\n");
        continue;
      }
      ipotizza(nodo, v);
      i = nodo.i;
      j = nodo.j;
      entrare = true;
    }
  }
};

} // namespace

bool inserisci(Griglia &g, int i, int j, const Opzioni &o, const Ascolto &ascolto) {
  if (!valida(o))
    throw std::invalid_argument("impostazioni del controllo fuori intervallo");
  lavoro = {};
  // The common sides run code of their own, their geometry fixed at compile time.
  switch (g.size()) {
  case 9:
    return Ricerca<1, 9>{g, o, ascolto}.esegui(i, j);
  case 16:
    return Ricerca<1, 16>{g, o, ascolto}.esegui(i, j);
  case 25:
    return Ricerca<1, 25>{g, o, ascolto}.esegui(i, j);
  default:
    return g.size() <= 64 ? Ricerca<1, 0>{g, o, ascolto}.esegui(i, j)
                          : Ricerca<2, 0>{g, o, ascolto}.esegui(i, j);
  }
}
