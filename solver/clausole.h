// The completion question as clauses, answered by a search that learns
// from its failures: one variable per cell and value (cell c holds v+1),
// "at most one" between any two of a cell's values and between a value's
// places in a row, a column or a box, "at least one" value in each cell and
// place for each value in each row and column (and box, when every box
// holds every value).  The grid of a question enters as assumptions, so
// every clause learnt follows from the rules alone and serves every later
// question: what one question proved impossible stays proved.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

enum class Esito { no, si, forse };

// A clause watching a literal, and another of its literals: when that one
// is true the clause is satisfied and need not be read.
struct Osservata {
  int clausola;
  int altro;
};

struct Clausole {
  int n = 0, q = 1;
  bool quadrata = false;
  std::vector<signed char> valore;          // [var]: -1 unassigned, 0 false, 1 true
  std::vector<int> livello;                 // [var]: decision level of its assignment
  std::vector<int> motivo;                  // [var]: clause that forced it, SENZA (a decision, an
                                            // assumption, a fact), or -2 - p when literal p true
                                            // forced it false through an "at most one"
  std::vector<int> traccia;                 // the true literals, in the order they became so
  std::vector<int> inizi;                   // [level - 1]: trail length when the level began
  std::size_t testa = 0;                    // trail entries propagated so far
  std::vector<int> aperte;                  // [rule]: its literals not false (see regole)
  std::vector<int> soddisfatte;             // [rule]: its literals true (0 or 1)
  std::vector<int> membri;                  // [rule * n + k]: the variable of its k-th literal
  std::vector<std::array<int, 4>> regoledi; // [var]: its rules (see regole)
  std::vector<int> arena;                   // learnt clauses: size, LBD, then the literals
  std::vector<int> imparate;                // where the learnt clauses start in the arena
  std::vector<std::vector<Osservata>>
      osservate;                        // [lit]: clauses watching lit (among their first two)
  std::vector<std::vector<int>> vicine; // [cell]: the other cells of its row, column, box
  std::vector<double> attivita;         // [var]: recent share in conflicts
  double incremento = 1;
  std::vector<int> mucchio;       // unassigned vars (and some assigned), most active first
  std::vector<int> posizione;     // [var]: index in mucchio, -1 absent
  std::vector<char> fase;         // [var]: the polarity to try first (1 true)
  std::vector<char> visto;        // scratch of the conflict analysis
  std::vector<int> appresa;       // scratch: the clause being learnt
  std::vector<int> conflitto;     // the literals of the last conflict's clause
  std::size_t limiteimparate = 0; // learnt clauses kept before the next sweep
  long long spesi = 0;            // conflicts of the current question
  std::vector<int> fondo;         // [cell]: the ground: values every question keeps, as facts
  std::vector<int> altezza;       // [cell]: the height at which it joined the ground, 0 none
  int piano = 0;                  // the ground's height: the raises it went through
  std::vector<std::pair<int, int>> unitaimparate; // learnt facts and the height they rest on
  bool fondocontraddittorio = false;              // the ground breaks a rule
  int chiesta = 0;         // the cell the question asks about (not in the ground)
  std::vector<int> timbri; // scratch: [level]: last count that saw it
  int timbro = 0;
};

// Prepares s for questions on grids of side n (q * q boxes, q = floor(sqrt n)).
void preparaclausole(Clausole &s, int n);

// Whether the rules have a solution in which every cell of `ipotesi`
// ([cell]: 0 free, else the value it must hold) holds its value; forse
// after `limite` conflicts.  On si, `modello` gets the solution found
// ([cell]: 1..n).  s.spesi: the conflicts spent.
Esito risolviclausole(Clausole &s, const std::vector<int> &ipotesi, long long limite,
                      std::vector<int> &modello);
