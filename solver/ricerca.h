// The depth-first search: every node deduces first, then guesses the values
// of its first empty cell, largest first.
#pragma once

#include <functional>

#include "app/stato.h"
#include "solver/bitutil.h"
#include "solver/opzioni.h"

// Values 1..N as bits 0..N-1: the filters clear the values already present
// in the row, the column and the box of a cell.
Riga prendiriga(Riga possibili, int i, const Griglia &g);
Riga prendicolonna(Riga possibili, int j, const Griglia &g);
Riga prendiquadrato(Riga possibili, int i, int j, const Griglia &g);

// Work counters of the last search.
struct Lavoro {
  long long nodi = 0;           // search nodes entered
  long long controlli = 0;      // values the completion check was asked about
  long long esclusi = 0;        // ... answered no: their subtrees skipped
  long long testimoni = 0;      // ... answered yes by the completion it kept
  long long incerti = 0;        // ... left open, past its allowance
  long long unitacontrollo = 0; // units of work the check spent in all (opzioni.h)
  long long riesami = 0;        // open values asked again
  long long chiusi = 0;         // ... found without completion: their subtrees left
  long long unitariesame = 0;   // units of work those questions spent (in unitacontrollo)
  long long unitaunicita = 0;   // units given to whether the first grid has one completion
                                // only, beside the allowance
};
extern Lavoro lavoro;

// Sees each question the search puts to the completion check: the grid, the
// cell (i, j), the value v (1..n) and the allowance (the benchmark records
// them to replay them against other settings).
using Ascolto = std::function<void(const Griglia &g, int i, int j, int v, long long credito)>;

// Searches from the root node at (i, j) over grid g (the process-wide
// tabella in the program), asking the completion check as o says (o must
// be valida: std::invalid_argument otherwise).
// On entry: g holds the puzzle, classifica and primozero are 0.
// On return: true with g complete, passi coding every step of the path and
// classifica counting them; false when no completion exists, with g, and
// classifica, back as they were on entry.
bool inserisci(Griglia &g, int i, int j, const Opzioni &o = {}, const Ascolto &ascolto = {});
