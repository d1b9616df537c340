// The completion check's state, for its own code only (completamento.cpp,
// traccia.h, abbinamento.h, propagazione.h, ricercapropria.h,
// guidamotore.h): the search sees the face in completamento.h.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/geometria.h"
#include "solver/bitutil.h"
#include "solver/conto.h"
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

// A node of the asking search, as the search told it.  Its cells are the
// told cells from `inizio` up to the next level's; every level but the
// first has one at least.
struct Livello {
  std::size_t inizio;   // its first cell in Livelli::celle
  std::size_t marca;    // trail length before its first cell was placed
  bool contraddizione;  // its grid was found to have no completion
  std::size_t discordi; // told cells up to this level that the kept completion fills otherwise
};

// The grids of the nodes on the search's path, as levels over one another,
// and how far the check's grid holds them.
struct Livelli {
  std::vector<int> celle;       // the told cells (index i * n + j), level by level
  std::vector<Livello> livelli; // the root's first
  std::size_t posate = 0;       // the first this many told cells are placed on the grid (and
                                // the first level always, once told)
  bool tenuta = false;          // above them the grid holds the last question's grid, at rest,
                                // kept for the node the search may enter next
  std::size_t marcatenuta = 0;  // trail length before the kept question's value
  std::vector<int> base;        // [cell]: the value a told level gives it, 0 none
};

// The end of told level b's cells in Livelli::celle.
inline std::size_t fine(const Livelli &l, std::size_t b) {
  return b + 1 < l.livelli.size() ? l.livelli[b + 1].inizio : l.celle.size();
}

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
// abbinabili).
template <int W> struct Abbinamenti {
  int quante = 0;                // units matched: rows and columns, and boxes, the first
                                 // of Forma::unita
  int percella = 0;              // ... per cell: 2 or 3
  std::vector<char> daabbinare;  // [unit]: its kept matching broken, to match again
  std::vector<char> dapotare;    // [unit]: a cell of it lost values since pota last saw it
  std::vector<RigaDi<W>> vuote;  // [matched unit]: its empty places (bit p: place p)
  std::vector<int> valoretenuto; // [unit * n + place]: the value the unit's kept matching
                                 // gives the place's cell, or gave it before it was
                                 // filled (-1 none yet)
};

// The check's memory across the questions of one search.  Its grid follows
// the told levels, each placed and propagated once, so that a question
// costs only its own value's consequences.
template <int W> struct StatoCompletamento {
  int n = 0;                             // side
  Quadrati quadrati{1};                  // where its boxes lie
  const Conto *conto = nullptr;          // the search's ledger: what work costs
  Opzioni opzioni;                       // the settings of this search
  Forma<W> forma;                        // where the units lie
  std::vector<RigaDi<W>> possibili;      // [i*n + j]: values still possible (bit v-1: v);
                                         // a filled cell holds its own value only
  std::vector<int> valore;               // [i*n + j]: 0 empty, else the value placed
  std::vector<Traccia> traccia;          // every change since the first level was planted
  Livelli livelli;                       // the told levels
  std::vector<int> coda;                 // cells left with one value, to fill
  std::vector<int> quanti;               // [unit * n + v]: the unit's cells that can hold v+1,
                                         // or hold it
  std::vector<int> soli;                 // unit * n + v left with one such cell or none, to look at
  Abbinamenti<W> abbinamenti;            // the units' matchings
  std::vector<int> testimone;            // [cell]: the last completion found (all 0: none yet)
  std::vector<std::uint32_t> fallimenti; // [cell]: failures there (a branch, or no value left)
  std::vector<int> fase;                 // [cell]: the value it last had, 0 none yet
  bool consat = false; // hard questions may go on to the learning engine (off once its
                       // clauses proved too many)
  std::vector<RigaDi<W>> possibiliradice; // [cell]: values possible in the first level's grid,
                                          // once propagated
  Sat sat;                                // the learning engine, started at its first question
};
