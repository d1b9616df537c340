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
template <int W, int L>
void univoci(int n, CuboDi<W, L> &c, Griglia &g, std::vector<Cella> &lista, const Riga &sporchi,
             std::vector<Tolto> &eliminati);
