// The search over any completion check with the face of Completamento
// (prepara, pronto, entra, esci, chiedi): the program asks its check, the
// benchmark a recorder of what the search tells it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "solver/conto.h"
#include "solver/cubo.h"
#include "solver/deduzione.h"
#include "solver/ricerca.h"

namespace ricerca {

// One node on the current search path.
struct Nodo {
  int i, j;           // the cell this node guesses
  std::size_t inizio; // its first entry in the list of placed cells
  Riga possibili;     // values still to try at (i, j)
  std::size_t marca;  // length of the cube's log when the cube was that of the node's grid
  Riga sporchi;       // planes a child's deduction pass has to sweep
  bool incerto;       // the check left the current value open
};

// The search with lines of W words, its state and its steps, asking the
// check `esame`.
//
// The cube follows the path: on entering a node it is the cube built from
// the node's grid.  Each pass ends with every plane giving nothing; giving
// back the eliminated candidates changes only the planes they belong to,
// and a guess only the planes of the values the cell could take, so a
// child's pass starts with just those planes to sweep (a pass that stops at
// a dead end leaves its node at once, and the parent's next value rebuilds
// the notes it left).  Trying the next value first takes the cube back to
// the node's grid through its log, and rebuilds its notes (rifainote).
template <int W, int L, class Esame> struct Ricerca {
  Griglia &g;       // the grid searched, the process-wide tabella
  const Opzioni &o; // the settings
  Esame &esame;     // the completion check, prepared at its first question
  const int n = static_cast<int>(g.size());
  Conto conto{o, n};                    // the check's work, and the search's nodes
  CuboDi<W, L> cubo;                    // candidates of the grid of the current node
  std::vector<Cella> piazzate;          // cells placed by deduction along the path, in order
  std::vector<Nodo> percorso;           // the nodes of the path, root first
  std::vector<Tolto> eliminati;         // what the current node's eliminations removed
  const Riga valori = intervallo(0, n); // values 1..n as bits 0..n-1
  int aperti = 0;                       // nodes of the path whose current value is open
  std::vector<int> nuove;               // scratch: the cells a node fills beyond its parent's grid

  Ricerca(Griglia &griglia, const Opzioni &opzioni, Esame &e) : g(griglia), o(opzioni), esame(e) {}

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
    if (esame.pronto())
      esame.esci();
    return risali();
  }

  // Asks the check whether node a's grid with value v (1..n) at its cell
  // has a completion, on `credito` units.  The check is prepared at the
  // first question, at the root (a search that asks nothing pays nothing),
  // and told the root's grid; every node entered after is told by entra.
  Responso chiedi(std::size_t a, int v, long long credito) {
    const Nodo &nodo = percorso[a];
    if (!esame.pronto()) {
      esame.prepara(n, o, conto);
      nuove.clear();
      for (int c = 0; c < n * n; ++c)
        if (g[c / n][c % n] != 0 && c != nodo.i * n + nodo.j)
          nuove.push_back(c);
      esame.entra(nuove, g, false);
    }
    return esame.chiedi(a, nodo.i, nodo.j, v, credito);
  }

  // Whether value v+1 at the last node's cell may lead to a completion; no
  // only when the check proves it cannot.
  Risposta promettente(int v) {
    if (!o.controllo)
      return Risposta::forse;
    const Nodo &nodo = percorso.back();
    // Below a value left open, the learning engine's work goes to that value
    // instead (see riesamina), whose "no" spares the whole subtree: a
    // question here gets the own search's share only.
    long long credito = conto.quota();
    if (aperti > nodo.incerto)
      credito = std::min(credito, conto.primadelmotore());
    const Responso r = chiedi(percorso.size() - 1, v + 1, credito);
    conto.domanda(r);
    return r.risposta;
  }

  // Marks the value of node a as answered.
  void chiudi(std::size_t a) {
    aperti -= percorso[a].incerto;
    percorso[a].incerto = false;
  }

  // A subtree the check left open may be closed later: when the ledger
  // says a look is due, the open values of the path are asked again.  The
  // path's grids nest, so where one has a completion every shallower one
  // has: a binary search finds the shallowest open value without, asking
  // O(log depth) questions.  Its subtree would fail, and a subtree that
  // fails leaves no trace, so its nodes are left as failed.  True when it
  // left some nodes.
  bool riesamina() {
    if (!conto.riesame(aperti > 0))
      return false;
    std::vector<std::size_t> dove; // the open values' nodes, shallowest first
    for (std::size_t a = 0; a + 1 < percorso.size(); ++a)
      if (percorso[a].incerto)
        dove.push_back(a);
    std::size_t da = 0, a = dove.size(), chiuso = SIZE_MAX;
    while (da < a) {
      const std::size_t mezzo = da + (a - da) / 2;
      const Nodo &nodo = percorso[dove[mezzo]];
      const Responso r = chiedi(dove[mezzo], g[nodo.i][nodo.j], conto.quotariesame());
      conto.riesaminato(r);
      if (r.risposta == Risposta::forse)
        break;
      if (r.risposta == Risposta::si) {
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
    conto.chiuso();
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
    conto.nodo();
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
    if (esame.pronto()) {
      // The child of the value just asked about at the parent's cell.
      const Nodo &genitore = percorso[percorso.size() - 2];
      nuove.assign(1, genitore.i * n + genitore.j);
      for (std::size_t m = inizio; m < piazzate.size(); ++m)
        nuove.push_back(piazzate[m].i * n + piazzate[m].j);
      esame.entra(nuove, g, true);
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
        if (o.controllo && riesamina())
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
      // at the first guessed cell it is reported all the same.
      const Risposta r = promettente(v);
      aperti -= nodo.incerto;
      nodo.incerto = r == Risposta::forse;
      aperti += nodo.incerto;
      if (primozero == 0)
        console("Sottoramo Principale " + std::to_string(v + 1) + "\n");
      if (r == Risposta::no)
        continue;
      ipotizza(nodo, v);
      i = nodo.i;
      j = nodo.j;
      entrare = true;
    }
  }
};

// The search on g from (i, j) with settings o, asking an Esame<W> built
// from `argomenti`, W and the side's geometry chosen for g's side.
template <template <int> class Esame, class... Argomenti>
EsitoRicerca cerca(Griglia &g, int i, int j, const Opzioni &o, Argomenti &...argomenti) {
  if (!valida(o))
    throw std::invalid_argument("impostazioni del controllo fuori intervallo");
  const auto esegui = [&]<int W, int L>() {
    Esame<W> esame(argomenti...);
    Ricerca<W, L, Esame<W>> r(g, o, esame);
    const bool risolto = r.esegui(i, j);
    return EsitoRicerca{risolto, r.conto.lavoro()};
  };
  // The common sides run code of their own, their geometry fixed at compile time.
  switch (g.size()) {
  case 9:
    return esegui.template operator()<1, 9>();
  case 16:
    return esegui.template operator()<1, 16>();
  case 25:
    return esegui.template operator()<1, 25>();
  default:
    return g.size() <= 64 ? esegui.template operator()<1, 0>() : esegui.template operator()<2, 0>();
  }
}

} // namespace ricerca
