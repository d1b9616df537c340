// Reference solver: a plain, step-by-step transcription of the solving run of the program
// (candidate cube, deduction pass, backtracking search) and of its two HTML pages.
//
// It is meant as an oracle for the production solver and as a speed baseline, so it favours
// being obviously faithful over being fast: the cube is rebuilt from scratch as nested vectors
// at every search node, every test scans the cube cell by cell, and the search is recursive.
// All state of a run lives in a local context, so risolvi() can be called any number of times.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oracolo {

// N x N grid indexed [row][column], 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

// Candidate cube indexed [value - 1][row][column]; 1 = the value may still go in the cell.
using Cubo = std::vector<std::vector<std::vector<int>>>;

struct Esito {
  bool risolto = false;     // the search completed the grid
  Griglia griglia;          // final grid (the solution when risolto)
  Griglia passi;            // step codes at the end of the run
  int classifica = 0;       // steps on the final path
  long long nodi = 0;       // search nodes (calls of inserisci) visited
  std::string trascrizione; // everything printed on the console (standard error) by the run
};

// Solves the puzzle exactly as the program does; N = puzzle.size().
// Throws std::invalid_argument when the puzzle is not N x N with 1 <= N <= 100, when the box
// side floor(sqrt(N)) does not divide N, or when a cell holds a value outside 0..N.
Esito risolvi(const Griglia &puzzle);

// The two pages exactly as the program writes them, with '\n' line ends, for a solved run.
// millisecondi is the difference of the two clock readings; the page shows it in seconds.
std::string paginasoluzione(const Griglia &puzzle, const Esito &e, int millisecondi);
std::string paginapercorso(const Griglia &puzzle, const Esito &e);

// The building blocks, exposed for finer-grained comparisons.

// Fresh candidate cube for the grid (N = griglia.size()).
Cubo inizializza(const Griglia &griglia);

// Result of one deduction pass run on its own.
struct Passaggio {
  Griglia griglia;                        // grid after the pass
  Griglia passi;                          // step codes (0 where the pass placed nothing)
  int classifica = 0;                     // step counter after the pass
  std::vector<std::pair<int, int>> celle; // (row, column) of each placed cell, in order
  Cubo cubo;                              // the cube as the pass leaves it
  std::string trascrizione;               // the report the root node prints after its pass
};

// Builds the cube for the grid and runs one deduction pass on it, with the step counter
// starting at classifica; same argument checks as risolvi().
Passaggio univoci(const Griglia &griglia, int classifica = 0);

} // namespace oracolo
