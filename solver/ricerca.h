// The depth-first search: every node deduces first, then guesses the values
// of its first empty cell, largest first.
#pragma once

#include "app/stato.h"
#include "solver/bitutil.h"
#include "solver/conto.h"
#include "solver/opzioni.h"

// Values 1..N as bits 0..N-1: the filters clear the values already present
// in the row, the column and the box of a cell.
Riga prendiriga(Riga possibili, int i, const Griglia &g);
Riga prendicolonna(Riga possibili, int j, const Griglia &g);
Riga prendiquadrato(Riga possibili, int i, int j, const Griglia &g);

// What a search found, and the work it took.
struct EsitoRicerca {
  bool risolto = false; // a completion was found
  Lavoro lavoro;        // its counters
};

// Searches from the root node at (i, j) over grid g (the process-wide
// tabella in the program), asking the completion check as o says (o must
// be valida: std::invalid_argument otherwise).
// On entry: g holds the puzzle, classifica and primozero are 0.
// On return: risolto with g complete, passi coding every step of the path
// and classifica counting them; else no completion exists, and g and
// classifica are back as they were on entry.
EsitoRicerca inserisci(Griglia &g, int i, int j, const Opzioni &o = {});
