// Checks shared by the fuzz targets. A failed check prints what failed and
// aborts, so the fuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <vector>

#define VERIFICA(condizione)                                                                       \
  do {                                                                                             \
    if (!(condizione)) {                                                                           \
      std::fprintf(stderr, "%s:%d: verifica fallita: %s\n", __FILE__, __LINE__, #condizione);      \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

namespace controlli {

using Griglia = std::vector<std::vector<int>>;

// Largest q with q * q <= n, by counting (no floating point).
inline int radice(int n) {
  int q = 0;
  while ((q + 1) * (q + 1) <= n)
    ++q;
  return q;
}

// True when g is n x n, holds only 0..n and repeats no value in a row, a
// column or a box (side radice(n), aligned at its multiples).
inline bool coerente(const Griglia &g, int n) {
  if (static_cast<int>(g.size()) != n)
    return false;
  const int q = radice(n);
  if (q == 0 || n % q != 0)
    return false;
  const int quadrati = (n / q) * (n / q); // more than n when q * q < n
  std::vector<char> riga(n * (n + 1)), colonna(n * (n + 1)), quadrato(quadrati * (n + 1));
  for (int i = 0; i < n; ++i) {
    if (static_cast<int>(g[i].size()) != n)
      return false;
    for (int j = 0; j < n; ++j) {
      const int v = g[i][j];
      if (v < 0 || v > n)
        return false;
      if (v == 0)
        continue;
      const int b = (i / q) * (n / q) + j / q;
      char &r = riga[i * (n + 1) + v], &c = colonna[j * (n + 1) + v],
           &s = quadrato[b * (n + 1) + v];
      if (r || c || s)
        return false;
      r = c = s = 1;
    }
  }
  return true;
}

} // namespace controlli
