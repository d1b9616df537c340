// The completion check's own search (cercacompletamento): depth first on
// the check's grid, after a quick mend of the last completion found
// (ripara), and the keeping of each completion found (tieni). For the
// check's own code only.
// On entry the grid holds the asked grid, propagated and matched, at rest.
// A "si" leaves the grid full and keeps it as the completion; "no" and
// "forse" (the allowance spent) leave the grid changed. The caller takes
// it back with annulla in every case.
#pragma once

#include <cstddef>
#include <vector>

#include "solver/bitutil.h"
#include "solver/propagazione.h"
#include "solver/risposta.h"
#include "solver/statocompletamento.h"
#include "solver/traccia.h"

// Only the check's own translation unit includes this: internal linkage
// lets the compiler inline what is called from one place.
namespace {

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

} // namespace
