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

struct Prova {
  int esito = 0;           // 10 a completion, 20 none
  long long conflitti = 0; // conflicts the engine took to tell
};

// The same model solved once by a fresh engine in one of six
// configurations, as the engines of a race differ: CaDiCaL's "sat",
// "unsat" or default settings (configurazione % 3), each variable tried
// first false or true (configurazione / 3 % 2).
Prova prova(const Griglia &puzzle, int configurazione);

} // namespace riferimentosat
