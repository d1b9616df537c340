// Puzzle file reader.  It checks the file as it streams, before anything is
// solved, and stops at the first fault, which it reports with its line and
// column; the exit status is left to the caller.  Memory is bounded by the
// grid: a line, however long, is never held whole.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/geometria.h"
#include "app/stato.h"

struct Lettura {
  bool valida = false;
  Griglia griglia;       // the puzzle, N x N, when valida
  long long riga = 0;    // 1-based line of the fault, when !valida
  long long colonna = 0; // 1-based column (byte) of the fault, when !valida
  std::string messaggio; // what is wrong, when !valida
};

// Format: one line per row, each ended by "\n" (a "\r" right before it is
// part of the line end); tokens separated by spaces, the first line fixing N.
// A token is the single character 0 (empty cell, needing no separator after
// it) or a number without leading zero.  Short rows and missing rows are
// empty; empty lines after the N-th row are ignored.

// A token of the first line, kept until the line's end fixes N.
struct Gettone {
  int valore;        // saturated just above the largest value the line allows
  long long colonna; // 1-based column of its first character
  std::string cifre; // its first digits, for the message
};

// Where each given value already stands, to refuse repeated givens.
struct Registro {
  Quadrati quadrati;                              // the grid's side n and its boxes
  std::vector<int> inriga, incolonna, inquadrato; // [unit * n + value - 1] -> cell + 1, 0 = none
  explicit Registro(int lato);
  // Records value v at (r, c); returns a message when v clashes with an earlier given.
  std::string registra(int r, int c, int v);
};

// A reading in progress: the bytes go in as pieces of any size, split
// anywhere; the outcome does not depend on where.
struct Analisi {
  Lettura esito;
  bool guasto = false;       // a fault was found: esito says which, the rest is not read
  long long linea = 1;       // line being read, 1-based
  long long colonna = 0;     // bytes of that line taken so far
  bool crinattesa = false;   // a "\r" taken from the input, not yet known as content
  bool vuoto = true;         // nothing at all has been read
  int n = 0;                 // the side, 0 while the first line is read
  int limite = LATO_MASSIMO; // tokens the line may hold
  int contati = 0;           // tokens begun on this line
  bool innumero = false;     // inside a number begun at iniziotoken
  long long iniziotoken = 0;
  int valore = 0;                   // of that number, saturated at limite + 1
  std::string cifre;                // its first digits
  std::vector<Gettone> prima;       // the tokens of the first line
  std::optional<Registro> registro; // built once N is known
};

// Takes the next piece of the input; false once a fault is found (the
// pieces after it need not be given).
bool analizza(Analisi &a, std::string_view pezzo);

// The end of the input: the outcome of the whole reading.
Lettura concludi(Analisi &a);

// Reads a puzzle from the bytes of a whole file.
Lettura leggipuzzle(const std::string &testo);

// The refusal line shown to the user: "FILE:LINE:COLUMN: errore: MESSAGE\n".
std::string messaggiolettura(const std::string &file, const Lettura &l);

enum class Caricamento {
  riuscito,
  apertura, // the file could not be opened
  lettura,  // it could not be read whole
  memoria,  // the system had no memory to open or read it
};

// Reads and checks the puzzle file nome in pieces of a fixed size, stopping
// at the first fault; l holds the outcome when riuscito.
Caricamento leggifile(const std::string &nome, Lettura &l);

// Bytes of the file read at a time.
inline constexpr std::size_t PEZZO = std::size_t{1} << 16;
