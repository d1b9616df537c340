// Reference for the benchmark: the puzzle handed whole to CaDiCaL in the
// usual SAT model, then asked for a second solution, so that our search can
// be set beside a general solver doing the same job.
#pragma once

#include <vector>

namespace riferimentosat {

// N x N grid indexed [row][column], 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

struct Esito {
  int soluzioni = 0;  // 0 none, 1 proved unique, 2 more than one
  double secondi = 0; // processor seconds of encoding and both solves
};

// One variable per cell and value; each cell exactly one value; each value
// at most once per row, column and box (pairwise) and at least once per row,
// column and box when the box holds N cells; the givens as unit clauses.
// Boxes have side floor(sqrt(N)) and are numbered as the program numbers
// them. Values outside 1..N count as empty cells.  With `seconda` false it
// stops at the first solution (soluzioni 0 or 1): any completion at all.
Esito risolvi(const Griglia &puzzle, bool seconda = true);

} // namespace riferimentosat
