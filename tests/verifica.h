// A check of a grid that shares no code with any solver: the box of a cell
// is found by integer division, every rule is checked by counting.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace verifica {

using Griglia = std::vector<std::vector<int>>;

// Largest q with q * q <= n, without floating point.
inline int lato(int n) {
  int q = 0;
  while ((q + 1) * (q + 1) <= n)
    ++q;
  return q;
}

// g is n x n with n = puzzle.size() >= 1 and a box side that divides n,
// holds values 0..n (1..n when completa), keeps every given of puzzle and
// repeats no value in a row, a column or a box: then the empty text, else
// what is wrong.
inline std::string griglia(const Griglia &puzzle, const Griglia &g, bool completa) {
  const int n = static_cast<int>(puzzle.size()), q = lato(n);
  if (n == 0 || n % q != 0 || g.size() != puzzle.size())
    return "wrong side";
  const int b = n / q;
  std::vector<int> visti((2 * n + b * b) * (n + 1)); // [unit * (n + 1) + value]: seen
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (g[i].size() != puzzle[i].size() || puzzle[i].size() != g.size())
        return "row " + std::to_string(i) + " of the wrong length";
      const int v = g[i][j], cella = i * n + j;
      if (v < (completa ? 1 : 0) || v > n || (puzzle[i][j] != 0 && puzzle[i][j] != v))
        return "value " + std::to_string(v) + " at cell " + std::to_string(cella);
      for (const int unita : {i, n + j, 2 * n + i / q * b + j / q})
        if (v != 0 && visti[unita * (n + 1) + v]++)
          return "value " + std::to_string(v) + " repeated at cell " + std::to_string(cella);
    }
  return {};
}

// The values (i, j) may take beside the other cells of g: those not in its
// row, its column or its box, in increasing order.
inline std::vector<int> ammessi(const Griglia &g, int i, int j) {
  const int n = static_cast<int>(g.size()), q = lato(n);
  std::vector<bool> preso(n + 1);
  for (int k = 0; k < n; ++k)
    preso[k == j ? 0 : g[i][k]] = preso[k == i ? 0 : g[k][j]] = true;
  for (int k = 0; k < q * q; ++k) { // the box: q * q cells, fewer than n where q * q < n
    const int r = i / q * q + k / q, c = j / q * q + k % q;
    preso[r == i && c == j ? 0 : g[r][c]] = true;
  }
  std::vector<int> v;
  for (int x = 1; x <= n; ++x)
    if (!preso[x])
      v.push_back(x);
  return v;
}

} // namespace verifica

// For the fuzz targets: a failed check prints what failed and aborts, so
// the fuzzer keeps the input that broke it.
#define VERIFICA(c)                                                                                \
  ((c) ? (void)0                                                                                   \
       : (std::fprintf(stderr, "%s:%d: verifica fallita: %s\n", __FILE__, __LINE__, #c),           \
          std::abort()))
