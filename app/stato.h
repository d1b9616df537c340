// Process-wide state of one solving run, step codes, the pages' shading
// and the console grid echo.  Every procedure of the program reads and
// writes these values directly; they live until the process ends.  The box
// geometry, which they all need beside it, comes with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/geometria.h"

// An N x N grid addressed [row][column], both 0-based; 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

inline constexpr int LATO_MASSIMO = 100; // largest grid side the reader accepts

extern int grandezza;      // N, the grid side, 1..100; set once by the reader
extern Griglia tabella;    // [0,N)x[0,N); the working grid: 0 = empty, else 1..N
extern Griglia tabellaold; // [0,N)x[0,N); the puzzle as read, later the step page's replay board
extern Griglia passi;      // [0,N)x[0,N); step code of the cell (0 = never placed by the solver)
extern int classifica;     // steps on the current search path, 0..N*N
extern int primozero;      // guesses on the current search path (search depth), 0..N*N
extern std::int32_t tp0;   // clock reading in ms just before the search starts
extern std::int32_t tp1;   // clock reading in ms when the grid was completed

// Kinds of step, kept in a step code as step number + 10000 * kind.
enum TipoPasso : int {
  PASSO_IPOTESI = 1, // a guess of the search
  PASSO_RIGA = 2,    // the only possible place in its row
  PASSO_COLONNA = 3, // the only possible place in its column
  PASSO_QUADRATO = 4 // the only possible place in its box
};

// Step numbers run 1..10000 (N <= 100), so a code splits back uniquely.
inline int codicepasso(int numero, int tipo) {
  return numero + 10000 * tipo;
}
inline int tipopasso(int codice) {
  return (codice - 1) / 10000;
}
inline int numeropasso(int codice) {
  return codice - 10000 * tipopasso(codice);
}

// Chequerboard shading of the pages, walked row by row and cell by cell:
// call riga() at the start of each row, then cella() once per column.
struct Ombreggiatura {
  int q;
  int colrcorr = -1; // parity of the current box row
  int colccorr = 0;  // parity of the current box, within the row
  void riga(int i) {
    if (i % q == 0)
      colrcorr = (colrcorr + 1) % 2;
    colccorr = colrcorr;
  }
  bool cella(int j) {
    if (j % q == 0)
      colccorr = (colccorr + 1) % 2;
    return colccorr == 1;
  }
};

// Allocates the three grids for side n, all zero, and resets the counters.
void preparastato(int n);

// Console grid echo: "%2d " per cell, "\n" per row, one more "\n" at the end.
std::string ecogriglia(const Griglia &g);

// Writes text on the standard error stream, where all console output goes.
void console(std::string_view testo);

// Clock reading in milliseconds of the processor time the system counts for
// the whole process, every thread included (the learning engines race on
// threads of their own); one definition per system, app/orologio_*.cpp.
std::int32_t orologio();
