// Asks the completion check about any grid, not only about the nodes of a
// search path: the levels told before that the grid no longer holds are
// taken back, and its other filled cells are told as one level above the
// rest.  A chain of grids, each near the one before, is then asked much as
// a search asks it.
#pragma once

#include <algorithm>
#include <vector>

#include "app/stato.h"
#include "solver/completamento.h"
#include "solver/conto.h"

template <int W> struct ChiediGriglia {
  int n;
  Conto conto;
  Completamento<W> k;
  std::vector<int> detto;                // [cell]: the value a told level gives it, 0 none
  std::vector<std::size_t> livellodi;    // [cell]: the level that gives it, where detto does
  std::vector<std::vector<int>> livelli; // the cells of each told level
  int ultima = -1, ultimovalore = 0;     // the cell and value asked last

  ChiediGriglia(int lato, const Opzioni &o)
      : n(lato), conto(o, lato), detto(static_cast<std::size_t>(lato * lato)),
        livellodi(detto.size()) {
    k.prepara(lato, o, conto);
  }

  // Whether g with v at (i, j) has a completion (see Completamento::chiedi);
  // (i, j) may hold anything in g.
  Risposta chiedi(const Griglia &g, int i, int j, int v, long long credito) {
    const int asked = i * n + j;
    std::size_t tenuti = livelli.size();
    for (int c = 0; c < n * n; ++c)
      if (detto[c] != 0 && (c == asked || g[c / n][c % n] != detto[c]))
        tenuti = std::min(tenuti, livellodi[c]);
    for (; livelli.size() > tenuti; livelli.pop_back()) {
      k.esci();
      for (int c : livelli.back())
        detto[c] = 0;
    }
    std::vector<int> nuove;
    for (int c = 0; c < n * n; ++c)
      if (c != asked && detto[c] == 0 && g[c / n][c % n] != 0)
        nuove.push_back(c);
    // The cell asked last first, as a search tells the value it guessed.
    const auto p = std::find(nuove.begin(), nuove.end(), ultima);
    const bool figlio = p != nuove.end() && g[ultima / n][ultima % n] == ultimovalore;
    if (p != nuove.end())
      std::rotate(nuove.begin(), p, p + 1);
    ultima = asked;
    ultimovalore = v;
    if (!nuove.empty() || livelli.empty()) {
      k.entra(nuove, g, figlio && !livelli.empty());
      for (int c : nuove) {
        detto[c] = g[c / n][c % n];
        livellodi[c] = livelli.size();
      }
      livelli.push_back(nuove);
    }
    return k.chiedi(livelli.size() - 1, i, j, v, credito).risposta;
  }
};
