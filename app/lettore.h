// Puzzle file reader.  It checks the whole file before anything is solved and
// reports the first fault with its line and column; the exit status is left
// to the caller.
#pragma once

#include <string>

#include "app/stato.h"

struct Lettura {
  bool valida = false;
  Griglia griglia;       // the puzzle, N x N, when valida
  int riga = 0;          // 1-based line of the fault, when !valida
  int colonna = 0;       // 1-based column (byte) of the fault, when !valida
  std::string messaggio; // what is wrong, when !valida
};

// Reads a puzzle from the bytes of a file.
//
// Format: one line per row, each ended by "\n" (a "\r" right before it is
// part of the line end); tokens separated by spaces, the first line fixing N.
// A token is the single character 0 (empty cell, needing no separator after
// it) or a number without leading zero.  Short rows and missing rows are
// empty; empty lines after the N-th row are ignored.
Lettura leggipuzzle(const std::string &testo);

// The refusal line shown to the user: "FILE:LINE:COLUMN: errore: MESSAGE\n".
std::string messaggiolettura(const std::string &file, const Lettura &l);

enum class Caricamento { riuscito, apertura, lettura };

// Loads a whole file into testo.
Caricamento caricafile(const std::string &nome, std::string &testo);
