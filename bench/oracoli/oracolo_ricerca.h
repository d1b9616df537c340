// Reference solver: a plain, step-by-step transcription of the solving run of the program
// (candidate cube, deduction pass, backtracking search) and of its two HTML pages.
//
// It is meant as an oracle for the production solver and as a speed baseline, so it favours
// being obviously faithful over being fast: the cube is rebuilt from scratch as nested vectors
// at every search node, every test scans the cube cell by cell, and the search is recursive.
// All state of a run lives in a local context, so risolvi() can be called any number of times.
#pragma once

#include <string>
#include <vector>

namespace oracolo {

// N x N grid indexed [row][column], 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

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

} // namespace oracolo
