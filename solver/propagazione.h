// The completion check's propagation: a value placed in a cell (assegna),
// what follows from it cell by cell and unit by unit (propaga), and that
// with the units' matchings and their pruning until nothing changes
// (stabilizza). For the check's own code only.
// Every change they make is trailed. propaga and stabilizza take the grid
// with what changed since it was last at rest queued (coda, soli). True:
// at rest again (propaga without `unita` leaves the units' queue alone;
// stabilizza also leaves every unit's matching found again). False, a
// contradiction: the grid is left part way, for the caller to take back
// with annulla.
#pragma once

#include <cstddef>

#include "solver/abbinamento.h"
#include "solver/bitutil.h"
#include "solver/statocompletamento.h"
#include "solver/traccia.h"

// Only the check's own translation unit includes this: internal linkage
// lets the compiler inline what is called from one place.
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

} // namespace
