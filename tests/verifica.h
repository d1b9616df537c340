// Solution and step-code checkers for tests. They share no code with any solver: the box of a
// cell is found by integer division, and every rule is checked by counting.
#ifndef TESTS_SUPPORT_VERIFICA_H
#define TESTS_SUPPORT_VERIFICA_H

#include <string>
#include <vector>

namespace verifica {

// N x N grid indexed [row][column], 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

// True when soluzione has the size of puzzle, holds only values 1..N, has no value twice in a
// row, a column or a box (side floor(sqrt(N)), boxes aligned at multiples of the side; a box of
// fewer than N cells only has to be free of repeats) and keeps every given of puzzle.
// Otherwise false, with a short reason in *motivo when motivo is not null.
bool verificasoluzione(const Griglia &puzzle, const Griglia &soluzione, std::string *motivo);

// True when every cell empty in puzzle (and filled in soluzione) carries a step code
// s + 10000 * k with k in 1..4 and s in 1..classifica, every s in 1..classifica is used
// exactly once, and every given cell carries 0. Otherwise false, with a reason in *motivo.
bool verificapercorso(const Griglia &puzzle, const Griglia &soluzione, const Griglia &passi,
                      int classifica, std::string *motivo);

} // namespace verifica

#endif
