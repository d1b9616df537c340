// Whether a partly filled grid has a completion: a full grid with every
// value at most once in each row, column and box.  The search asks before
// it descends into a value: a subtree whose grid has no completion cannot
// succeed, since every placement it makes keeps each value at most once
// per row, column and box.
//
// The search tells the check the grids of the nodes on its path, as a
// stack of levels, each the one below with some cells filled (entra, esci),
// and asks about a level's grid with one more value (chiedi).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/stato.h"
#include "solver/conto.h"
#include "solver/opzioni.h"
#include "solver/risposta.h"

template <int W> struct StatoCompletamento;

// W: words a line of the grid takes (n <= 64 * W).
template <int W> class Completamento {
public:
  Completamento();
  ~Completamento();

  // Readies the check for the questions of a search on grids of side n
  // (1..100, n <= 64 * W) with settings o, whose work `conto` counts (it
  // must outlive the check): empty grid, no completion kept, no failures
  // noted.  Nothing is allocated before this call.
  void prepara(int n, const Opzioni &o, const Conto &conto);
  // Whether prepara was called.
  bool pronto() const { return stato != nullptr; }

  // The search entered a node: its grid is that of the top level (none for
  // the first) with the cells `celle` (index i * n + j) filled as in g.
  // `figlio`: the node is the child of the value last asked about, whose
  // cell is celle[0].  Nothing is placed until a question needs it, but for
  // the first level.
  void entra(const std::vector<int> &celle, const Griglia &g, bool figlio);

  // The search left the node of the top level.  Leaving the first level
  // leaves what was learnt of its grid too: the next first level starts
  // afresh.
  void esci();

  // Whether the grid of told level a (0 .. levels - 1) with v at (i, j) has
  // a completion.
  // On entry: that grid repeats no value in a row, column or box and has
  // (i, j) empty; v (1..n) does not stand in row i, column j or the box of
  // (i, j).  Answers si or no exactly, and forse when it would spend more
  // than `credito` units of work (credito <= 0: propagation alone answers,
  // unless what earlier questions left answers it).
  // The route: what earlier questions left (the kept completion, the first
  // level's completions once known); propagation with the units'
  // matchings; the own search, which mends the kept completion first; then
  // the learning engine (solver/sat.h), built on the first level's grid,
  // which also works on whether that grid has one completion only.
  // Questions are cheapest on the top level, as the search asks them: its
  // grid with v at (i, j), left open, is kept for the node the search
  // enters next.
  Responso chiedi(std::size_t a, int i, int j, int v, long long credito);

private:
  std::unique_ptr<StatoCompletamento<W>> stato; // null until prepara
};
