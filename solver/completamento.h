// Whether a partly filled grid has a completion: a full grid with every
// value at most once in each row, column and box.  The search asks before
// it descends into a value: a subtree whose grid has no completion cannot
// succeed, since every placement it makes keeps each value at most once
// per row, column and box.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/stato.h"
#include "solver/bitutil.h"
#include "solver/opzioni.h"
#include "solver/sat.h"

// A change to an empty cell of the check's grid, to undo on backtracking:
// value `valore` (0..n-1) taken from it, or (-1) the cell filled.  One
// entry per value keeps the trail at 8 bytes a removal: filling a large
// grid whole removes about n^3 values, and whole rows of candidates per
// change tripled the check's memory on the empty 100 x 100 grid.
struct Traccia {
  int cella;
  int valore;
};

// A branch of the check's own search: the cell, the values left to try
// there, the trail length before its first value.
template <int W> struct Scelta {
  int cella;
  RigaDi<W> rimasti;
  std::size_t marca;
};

// The grid of a node of the asking search, as the search told it: the cells
// it fills beyond the level below (their values in Completamento::base),
// how many of them the check's grid holds, the trail length before them,
// and whether the level's grid was found to have no completion.
struct Livello {
  std::vector<int> celle;
  std::size_t fatte;
  std::size_t marca;
  bool contraddizione;
};

// Where the units lie, fixed for a search: on square sides the rows,
// columns and boxes, which all hold every value; on others the rows and
// columns only.
template <int W> struct Forma {
  bool quadrata = false;                 // q * q == n: every box holds every value
  RigaDi<W> tuttivalori;                 // bits [0, n)
  std::vector<std::vector<int>> unita;   // cells of every row, column and (square) box
  int unitapercella = 2;                 // units that hold every value, per cell: 3 with boxes
  std::vector<std::array<int, 6>> posti; // [cell]: its row, column and box (entries 0..2), and
                                         // unit * n + its place in each (3..5)
};

// The units' kept matchings of empty cells to distinct values (see
// abbinabili), and their scratch.
template <int W> struct Abbinamenti {
  int quante = 0;                 // units matched: rows and columns, and boxes, the first
                                  // of Forma::unita
  int percella = 0;               // ... per cell: 2 or 3
  std::vector<char> daabbinare;   // [unit]: its kept matching broken, to match again
  std::vector<char> dapotare;     // [unit]: a cell of it lost values since pota last saw it
  std::vector<RigaDi<W>> vuote;   // [matched unit]: its empty places (bit p: place p)
  std::vector<int> valoretenuto;  // [unit * n + place]: the value the unit's kept matching
                                  // gives the place's cell, or gave it before it was
                                  // filled (-1 none yet)
  std::vector<int> postoabbinato; // scratch: [value]: the place matched to it, if in presi
  RigaDi<W> provati;              // scratch: values an augmenting path has been through
  RigaDi<W> presi;                // scratch: values matched in the unit
  std::vector<int> senzavalore;   // scratch: the unit's places its first matching left out
};

// The check's memory across the questions of one search, and its scratch.
// The search tells it the grids of the nodes on its path as a stack of
// levels; its grid follows them, each level propagated once, so that a
// question costs only its own value's consequences.
template <int W> struct Completamento {
  int n = 0, q = 1;                 // side, box side
  Forma<W> forma;                   // where the units lie
  std::vector<RigaDi<W>> possibili; // [i*n + j]: values still possible (bit v-1: v);
                                    // a filled cell holds its own value only
  std::vector<int> valore;          // [i*n + j]: 0 empty, else the value placed
  std::vector<Traccia> traccia;     // every change since the empty grid
  std::vector<Livello> livelli;     // the told levels, the root's first; on top, when
                                    // ipotesi, the check's own
  bool ipotesi = false;             // the top level is the last question's grid, kept for
                                    // the node the search may enter next
  std::size_t pronti = 0;           // levels the check's grid holds (the top one maybe in part)
  std::vector<int> base;            // [cell]: the value a level gives it, 0 none
  std::vector<int> visto;           // [cell]: the grid of the last question, as asked
  std::size_t vistofino = 0;        // ... the first this many told levels
  std::vector<int> coda;            // cells left with one value, to fill
  std::vector<int> quanti;          // [unit * n + v]: the unit's cells that can hold v+1,
                                    // or hold it
  std::vector<int> soli;            // unit * n + v left with one such cell or none, to look at
  Abbinamenti<W> abbinamenti;       // the units' matchings
  std::vector<Scelta<W>> pila;      // the check's search path
  std::vector<int> testimone;       // [cell]: the last completion found (all 0: none yet)
  int discordi = 0;                 // cells of visto filled otherwise than in testimone
  std::vector<std::uint32_t> peso;  // [cell]: failures there (a branch, or no value left)
  std::vector<int> fase;            // [cell]: the value it last had, 0 none yet
  std::vector<int> fasi;            // scratch: fase before a try that failed
  long long spesi = 0;              // units spent by the current question
  long long unicita = 0;            // ... and beside it on the uniqueness proof
  long long pesoramo = 1;           // units of a branch of the own search (1..)
  bool datestimone = false;         // it was answered by the kept completion
  Opzioni opzioni;                  // the settings of this search
  bool consat = false;              // hard questions may go on to the learning engine (off
                                    // once its clauses proved too many)
  std::vector<RigaDi<W>> possibiliradice; // [cell]: values possible in the first level's grid,
                                          // once propagated
  Sat sat;                                // the learning engine, started at its first question
};

// Prepares k for the questions of a search on grids of side n (1..100,
// n <= 64 * W) with settings o: empty grid, no completion kept, no failures
// noted.  Nothing is allocated before this call.
template <int W> void preparacompletamento(Completamento<W> &k, int n, const Opzioni &o);

// The search entered a node: its grid is that of the top level with the
// cells `celle` (index i * n + j) filled as in g.  Nothing is placed until
// a question needs it.
template <int W>
void aggiungilivello(Completamento<W> &k, const std::vector<int> &celle, const Griglia &g);

// The search left the node of the top level.  Leaving the first level
// leaves what was learnt of its grid too: the next first level starts
// afresh.
template <int W> void toglilivello(Completamento<W> &k);

// Whether the grid of told level a (0 .. levels - 1) with v at (i, j) has a
// completion.
// On entry: that grid repeats no value in a row, column or box and has
// (i, j) empty; v (1..n) does not stand in row i, column j or the box of
// (i, j).  Answers si or no exactly, and forse when it
// would spend more than `credito` units of work: a branch of its own search
// or a conflict of the learning engine (credito <= 0: propagation alone
// answers, unless what earlier questions left answers it).  On return
// k.spesi holds the units spent, k.datestimone whether the kept completion
// answered.  The route: what earlier questions left (the kept completion,
// the first level's completions once known);
// propagation with the units' matchings; the own search, which mends the
// kept completion first; then the learning engine (solver/sat.h), built on
// the first level's grid, which also works on whether that grid has one
// completion only.  Questions are cheapest on the top level, as the
// search asks them: its grid with v at (i, j), left open, is kept for the
// node the search enters next.
template <int W>
Risposta completabile(Completamento<W> &k, std::size_t a, int i, int j, int v, long long credito);
