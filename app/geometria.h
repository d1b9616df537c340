// Where the boxes of a grid lie: the one place that works it out.  Every
// helper is constexpr, so that sides fixed at compile time (the cube's
// common sides) get constants from it.
#pragma once

// Box side of a grid of side n: the square root truncated toward zero,
// found in integers (for n up to 100 the same as the double precision root
// truncated).
constexpr int latoquadrato(int n) {
  int q = 0;
  while ((q + 1) * (q + 1) <= n)
    ++q;
  return q;
}

// The boxes of a grid of side n >= 1, whose box side q the reader makes
// divide n: q x q cells each, `bande` of them along each side (a band: q
// whole rows; a stack: q whole columns), numbered band by band, each band
// from its left.
struct Quadrati {
  int n, q, bande;
  constexpr explicit Quadrati(int lato) : n(lato), q(latoquadrato(lato)), bande(lato / q) {}
  // The box that holds cell (i, j).
  constexpr int quadratodi(int i, int j) const { return i / q * bande + j / q; }
  // The first row, and the first column, of box b.
  constexpr int primariga(int b) const { return b / bande * q; }
  constexpr int primacolonna(int b) const { return b % bande * q; }
  // The cell (index i * n + j) at place p of box b, its places row by row.
  constexpr int cellaalposto(int b, int p) const {
    return (primariga(b) + p / q) * n + primacolonna(b) + p % q;
  }
};

// Bounds of the box that holds (i, j), boxes of side q: rows [minriga,
// maxriga), columns [mincol, maxcol).
struct Limiti {
  int minriga, maxriga, mincol, maxcol;
};
constexpr Limiti limiti(int i, int j, int q) {
  const int r = i / q * q, c = j / q * q;
  return {r, r + q, c, c + q};
}
