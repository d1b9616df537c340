#include "oracolo_completamento.h"

#include <bit>
#include <cstddef>
#include <utility>

namespace oracolo {

namespace {

// Backtracking on the empty cell with the fewest values, on bit masks of the
// values each row, column and box holds.
struct Ricerca {
  int n, q;
  std::vector<unsigned> riga, colonna, quadrato; // bit v - 1: value v present
  std::vector<int> celle;                        // i * n + j of the empty cells

  explicit Ricerca(const Griglia &g) : n(static_cast<int>(g.size())), q(0) {
    while ((q + 1) * (q + 1) <= n)
      ++q;
    riga.assign(n, 0);
    colonna.assign(n, 0);
    quadrato.assign((n / q) * (n / q), 0);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (g[i][j] == 0)
          celle.push_back(i * n + j);
        else
          segna(i, j, 1u << (g[i][j] - 1));
  }
  int numquadrato(int i, int j) const { return i / q * (n / q) + j / q; }
  void segna(int i, int j, unsigned bit) {
    riga[i] ^= bit;
    colonna[j] ^= bit;
    quadrato[numquadrato(i, j)] ^= bit;
  }
  unsigned liberi(int i, int j) const {
    return ~(riga[i] | colonna[j] | quadrato[numquadrato(i, j)]) & ((1u << n) - 1);
  }
  // Fills celle[k..] (in any order).
  bool cerca(std::size_t k) {
    if (k == celle.size())
      return true;
    std::size_t scelta = k;
    int meno = n + 1;
    for (std::size_t c = k; c < celle.size() && meno > 1; ++c) {
      const int quanti = std::popcount(liberi(celle[c] / n, celle[c] % n));
      if (quanti < meno) {
        meno = quanti;
        scelta = c;
      }
    }
    std::swap(celle[k], celle[scelta]);
    const int i = celle[k] / n, j = celle[k] % n;
    for (unsigned m = liberi(i, j); m != 0; m &= m - 1) {
      const unsigned bit = m & (~m + 1);
      segna(i, j, bit);
      const bool fatto = cerca(k + 1);
      segna(i, j, bit);
      if (fatto)
        return true;
    }
    return false;
  }
};

} // namespace

bool completabile(const Griglia &g) {
  return Ricerca(g).cerca(0);
}

} // namespace oracolo
