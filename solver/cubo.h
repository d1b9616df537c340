// The candidate cube: for every value and cell, whether the value may still
// be placed there.  Kept as bit planes, one per value, with a word pair per
// row and per column of each plane, in step with each other; W words per
// line (1 up to side 64, else 2).  The storage is reused from node to node;
// the content is rebuilt from the grid each time.
#pragma once

#include <vector>

#include "app/stato.h"
#include "solver/bitutil.h"

template <int W> struct CuboDi {
  using R = RigaDi<W>;
  int n = 0;                   // grid side
  int q = 1;                   // box side
  int bande = 1;               // boxes along a side: n / q
  std::vector<R> righe;        // [v*n + i]: columns of row i where value v+1 is a candidate
  std::vector<R> colonne;      // [v*n + j]: rows of column j where value v+1 is a candidate
  std::vector<R> bandacol;     // [box column]: the columns of that stack of boxes
  std::vector<R> bandariga;    // [box row]: the rows of that band of boxes
  std::vector<int> banda;      // [k], k in [0,n): k / q, the band (or stack) of row (column) k
  std::vector<int> quadratodi; // [i*n + j]: the box of (i, j), numbered row-major

  // Scratch space of inizializza: where each value already stands.
  std::vector<R> righecon, colonnecon;  // [v], v in 0..n: rows / columns holding value v
  std::vector<R> bloccocol, bloccoriga; // [band*(n+1) + v]: columns / rows covered by
                                        // the boxes of that band holding value v
  std::vector<R> vuoteriga, vuotecol;   // [i] / [j]: empty cells of the row / column
};
using Cubo = CuboDi<2>; // fits any side

template <int W> inline int quadrato(const CuboDi<W> &c, int i, int j) {
  return c.quadratodi[i * c.n + j];
}
template <int W> inline bool candidato(const CuboDi<W> &c, int v, int i, int j) {
  return ha(c.righe[v * c.n + i], j);
}

// Builds the cube of grid g (side n) into c, reusing its storage.
// On return: value v+1 is a candidate at (i, j) exactly when the cell is
// empty and v+1 stands neither in row i, nor in column j, nor in its box.
template <int W> void inizializza(int n, const Griglia &g, CuboDi<W> &c);

// The cube also keeps a record of where each value stands in the grid it
// was built from.  Whoever then writes a cell of that grid tells the record:
// segna when an empty cell gets value v (1..n), libera when a cell holding v
// is emptied; the grid must hold no value twice in a row, column or box.
template <int W> void segna(CuboDi<W> &c, int i, int j, int v);
template <int W> void libera(CuboDi<W> &c, int i, int j, int v);

// Rebuilds the cube from the record alone: the same cube inizializza would
// build from the grid the record follows.
template <int W> void ricostruisci(CuboDi<W> &c);

// Removes value v+1 as a candidate of (i, j); false when it was not one.
template <int W> inline bool cancella(CuboDi<W> &c, int v, int i, int j) {
  RigaDi<W> &r = c.righe[v * c.n + i];
  if (!ha(r, j))
    return false;
  togli(r, j);
  togli(c.colonne[v * c.n + j], i);
  return true;
}
