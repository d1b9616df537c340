// Changes to the completion check's grid, each written to its trail, and
// the one way to take them back (annulla). For the check's own code only.
#pragma once

#include <array>
#include <cstddef>

#include "solver/bitutil.h"
#include "solver/statocompletamento.h"

// The unit index of cell c's box: after the n rows and n columns.
template <int W> int scatola(const StatoCompletamento<W> &k, int c) {
  return 2 * k.n + k.quadrati.quadratodi(c / k.n, c % k.n);
}

// Empty cell c loses the values in via (which it had), trailed: each
// leaves one place fewer in its units, and a unit left with one place for
// it, or none, is queued for propaga; a unit whose last matching gave c
// one of them must match again.
template <int W> void perdeposti(StatoCompletamento<W> &k, int c, const RigaDi<W> &via) {
  const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(c)];
  for (int v = primo(via); v >= 0; v = prossimo(via, v + 1)) {
    k.traccia.push_back({c, v});
    for (int x = 0; x < k.forma.unitapercella; ++x)
      if (--k.quanti[u[x] * k.n + v] <= 1)
        k.soli.push_back(u[x] * k.n + v);
  }
  for (int x = 0; x < k.abbinamenti.percella; ++x) {
    k.abbinamenti.dapotare[u[x]] = 1;
    const int h = k.abbinamenti.valoretenuto[u[x + 3]];
    if (h >= 0 && ha(via, h))
      k.abbinamenti.daabbinare[u[x]] = 1;
  }
}

// Cell c is given value v: a unit whose last matching gave v to another
// cell must match again.  The matchings keep v for c, so that after undoing
// they still give each empty cell a distinct value it can take.
template <int W> void fissa(StatoCompletamento<W> &k, int c, int v) {
  const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(c)];
  for (int x = 0; x < k.abbinamenti.percella; ++x) {
    if (k.abbinamenti.valoretenuto[u[x + 3]] != v)
      k.abbinamenti.daabbinare[u[x]] = 1;
    k.abbinamenti.valoretenuto[u[x + 3]] = v;
  }
}

// Cell c is filled (piena) or emptied again: its place in each matched
// unit leaves or rejoins the unit's empty places.
template <int W> void segnapiena(StatoCompletamento<W> &k, int c, bool piena) {
  const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(c)];
  for (int x = 0; x < k.abbinamenti.percella; ++x)
    scrivibit(k.abbinamenti.vuote[u[x]], u[x + 3] - u[x] * k.n, !piena);
}

// Takes the values in via from cell c, which holds some of them and is
// empty; trailed.  A cell left with one value is queued.  False when c is
// left with none.
template <int W>
[[gnu::noinline]] bool restringi(StatoCompletamento<W> &k, int c, const RigaDi<W> &via) {
  RigaDi<W> &p = k.possibili[c];
  perdeposti(k, c, p & via);
  p = senza(p, via);
  if (vuota(p)) {
    ++k.fallimenti[c];
    return false;
  }
  if (unico(p))
    k.coda.push_back(c);
  return true;
}

// Takes the value in via from cell c if it is empty and can still take
// it, one of the `resto` cells to meet (see restringi).
template <int W>
[[gnu::always_inline]] inline bool escludi(StatoCompletamento<W> &k, int c, const RigaDi<W> &via,
                                           int &resto) {
  return k.valore[c] != 0 || vuota(k.possibili[c] & via) || (--resto, restringi(k, c, via));
}

// Takes the grid back to the trail's first `marca` changes, a state where
// propagation had come to rest.
template <int W> void annulla(StatoCompletamento<W> &k, std::size_t marca) {
  while (k.traccia.size() > marca) {
    const Traccia t = k.traccia.back();
    if (t.valore >= 0) {
      const std::array<int, 6> &u = k.forma.posti[static_cast<std::size_t>(t.cella)];
      for (int x = 0; x < k.forma.unitapercella; ++x)
        ++k.quanti[u[x] * k.n + t.valore];
      metti(k.possibili[t.cella], t.valore);
    } else {
      segnapiena(k, t.cella, false);
    }
    k.valore[t.cella] = 0;
    k.traccia.pop_back();
  }
  k.coda.clear();
  // Every mark is one the search's propagation had come to rest at: no
  // unit gives anything there.
  k.soli.clear();
}
