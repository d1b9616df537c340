// The completion question as clauses, answered by CaDiCaL, incrementally:
// one solver for the questions of one search.  The first grid (the root's)
// enters as unit clauses, with a variable for each of its
// empty cells' candidate values; each question's further cells and its
// value enter as assumptions.  So every clause the solver learns follows
// from the rules and the first grid alone, and serves every later
// question.
//
// Several such solvers (engines) may hold the same clauses and race on
// each hard question, one thread each (solver/corsa.h): the first exact
// answer stops the others.  Only the answer and its completion are used,
// so the answers do not depend on which engine won.
//
// The same solver also works, when told, on whether the first grid has one
// completion only: once that completion is known to be the only one, a
// grid that extends the first has a completion exactly when the completion
// holds it, and no question needs the solver any more.
#pragma once

#include <memory>
#include <vector>

#include "solver/risposta.h"

struct MotoreSat; // the engines: CaDiCaL, each with its conflict counter (sat.cpp)
struct ChiudiMotoreSat {
  void operator()(MotoreSat *m) const;
};

struct Sat {
  enum class Unicita {
    ignota,   // not asked yet, or asked without an answer
    verifica, // a completion found (soluzione); is there another?
    unica,    // soluzione is the first grid's only completion
    nessuna,  // the first grid has no completion
    molte,    // it has more than one: nothing more to learn here
  };
  int n = 0;
  std::vector<int> radice; // [cell]: the first grid, 0 empty
  long long coppie = 0;    // its two-literal clauses, as first given
  std::vector<int> valori; // [variable - 1]: its value (1..n); a cell's variables are
                           // consecutive, in cell order, values rising
  std::vector<int> inizio; // [cell]: index in valori of the cell's first (n * n + 1)
  Unicita unicita = Unicita::ignota;
  std::vector<int> soluzione; // [cell]: a completion of radice, from verifica on
  std::vector<int> modello;   // [cell]: the completion the last chiedisat found
  int attiva = 0;             // variable that switches on "differs from soluzione"
  long long spesi = 0;        // conflicts of the last call: of the engine that answered, or
                              // of the one that spent most when none did
  std::unique_ptr<MotoreSat, ChiudiMotoreSat> motore;
};

// Readies s for the first grid `radice` of side n: a variable for each
// value each cell may hold, valori[inizio[c]] .. valori[inizio[c + 1] - 1]
// for cell c, rising (a filled cell: its value only); and counts the
// two-literal clauses the engine would take (s.coppie), without starting
// it.  Memory: as the variables and the cells, not n^3.
void contasat(Sat &s, int n, const std::vector<int> &radice, const std::vector<int> &valori,
              const std::vector<int> &inizio);

// Starts the engines that contasat readied, `motori` of them (1..):
// s.coppie clauses each, and a few more for the cells that must hold a
// value.  The first takes every question alone for `primadellacorsa`
// conflicts; the others join it on those still open, built (each on a
// thread of its own) when the first such question comes.
void avviasat(Sat &s, int motori = 1, long long primadellacorsa = 0);

// Whether `griglia` ([cell]: 0 empty, else the value), which extends radice,
// with v (1..n) at cell c and without the values `escluse` (each
// cell * n + value - 1, at empty cells) has a completion: si (with it in
// s.modello), no, or forse after about `limite` conflicts.  s.spesi: the
// conflicts spent.
Risposta chiedisat(Sat &s, const std::vector<int> &griglia, int c, int v, long long limite,
                   const std::vector<int> &escluse = {});

// Works for about `limite` conflicts on whether radice has one completion
// only: ignota to verifica or nessuna, verifica to unica or molte.  Once the
// answer is known the solver is released.  s.spesi: the conflicts spent.
void avanzaunicita(Sat &s, long long limite);
