// The deduction pass run at the start of every search node.
#pragma once

#include <vector>

#include "app/stato.h"
#include "solver/cubo.h"

struct Cella {
  int i, j;
};

// Fills the cells that the row, column and box tests can deduce, sweeping
// value by value, row by row, column by column until a sweep changes nothing.
//
// On entry: c holds the candidates of g (as inizializza builds them) and
// box verdicts that are true (c.quiete); classifica counts the steps placed
// so far.  sporchi holds the values whose planes may give anything; every
// other plane must be one that a visit of its own would not change.
// On return: each placement has its step number and code in passi, and its
// cell appended to lista in placement order; c is narrowed to match, every
// removal logged (a filled cell's own values stay in its words), and every
// box of every plane found to give nothing; the candidates removed by the
// line/box eliminations are also appended to eliminati.  At depth 0
// (primozero == 0) the count and the updated grid are printed.
//
// With fermati, the pass may instead stop as soon as the first empty cell of
// g is left without a value (every value stands in its row, its column or
// its box): the cell would still be the first empty one, without a value,
// at the end.  It then returns true, with its placements so far made and
// logged as above but c's box verdicts and single columns left as they
// are; a caller that gives up the node has no use for the rest.  Returns
// false after a whole pass.
template <int W, int L>
bool univoci(int n, CuboDi<W, L> &c, Griglia &g, std::vector<Cella> &lista, const Riga &sporchi,
             std::vector<Tolto> &eliminati, bool fermati = false);
