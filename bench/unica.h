// Puzzles with one solution, for the benchmark: carved from a whole grid by
// emptying its cells one at a time, each only when propagation (the cells
// with one value left, the values with one place left in a row, column or
// box) proves that the puzzle keeps the grid as its only completion.  The
// propagation is a plain one of its own, so that the puzzles owe nothing to
// the solver they are set before.  Branching on top of it, within a few
// hundred nodes, emptied hardly a cell more at sides 36 to 64 and took
// most of the time.
#pragma once

#include <cstdint>

#include "generatore.h"

namespace unica {

// A copy of soluzione, a valid whole grid of side n = q * q <= 64, whose
// cells are tried in the random order of `seme`, each once, until only
// `date` cells stay given: a cell is emptied when propagation proves that
// the puzzle without it has no completion giving it another value.  So the
// puzzle has soluzione as its only completion, and at least `date` givens
// (more when the order runs out first).  Throws std::invalid_argument on
// another side.
generatore::Griglia scava(const generatore::Griglia &soluzione, int date, std::uint32_t seme);

} // namespace unica
