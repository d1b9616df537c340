// Checks of a grid and of its step codes that share no code with any
// solver: the box of a cell is found by integer division, every rule is
// checked by counting. Each returns an empty text when all holds, else
// what is wrong.
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
// repeats no value in a row, a column or a box.
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

// Every cell empty in puzzle carries a step code s + 10000 * k with k in
// 1..4 and s in 1..classifica, each s used once; every given carries 0.
inline std::string percorso(const Griglia &puzzle, const Griglia &passi, int classifica) {
  std::vector<int> usi(classifica > 0 ? classifica + 1 : 1);
  int vuote = 0;
  for (std::size_t i = 0; i < puzzle.size(); ++i)
    for (std::size_t j = 0; j < puzzle.size(); ++j) {
      const int codice = passi.at(i).at(j), s = codice - 10000 * ((codice - 1) / 10000);
      const std::string cella = "cell " + std::to_string(i * puzzle.size() + j);
      if (puzzle[i][j] != 0 && codice != 0)
        return "given " + cella + " with a step code";
      if (puzzle[i][j] != 0)
        continue;
      ++vuote;
      if (codice < 10001 || codice > 50000 || s > classifica || usi[s]++)
        return cella + " with step code " + std::to_string(codice);
    }
  return vuote == classifica ? "" : "step count differs from the empty cells";
}

} // namespace verifica

// For the fuzz targets: a failed check prints what failed and aborts, so
// the fuzzer keeps the input that broke it.
#define VERIFICA(condizione)                                                                       \
  do {                                                                                             \
    if (!(condizione)) {                                                                           \
      std::fprintf(stderr, "%s:%d: verifica fallita: %s\n", __FILE__, __LINE__, #condizione);      \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)
