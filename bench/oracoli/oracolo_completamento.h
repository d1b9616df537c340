// Whether a partly filled grid has a completion, by plain backtracking: a
// full grid with every value at most once in each row, column and box (side
// floor(sqrt n), which need not hold every value when n is no square).
// Shares nothing with the program's solver; for sides up to 32, kept small.
#pragma once

#include <vector>

namespace oracolo {

using Griglia = std::vector<std::vector<int>>;

// g: n x n, values 0..n (0 empty), no value repeated in a row, column or box.
bool completabile(const Griglia &g);

} // namespace oracolo
