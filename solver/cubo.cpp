#include "solver/cubo.h"

#include <cassert>

namespace {

// Sets the first k entries of table t to x; a vector gets exactly k.
template <class T, class X> void riempi(T &t, int k, const X &x) {
  if constexpr (requires { t.assign(std::size_t(k), x); })
    t.assign(std::size_t(k), x);
  else
    std::fill_n(t.begin(), k, x);
}

template <int W, int L> void geometria(CuboDi<W, L> &c, int n) {
  if constexpr (L == 0) {
    if (c.n == n && !c.fasce.empty())
      return;
    const Quadrati quadrati(n);
    c.n = n;
    c.q = quadrati.q;
    c.bande = quadrati.bande;
  }
  assert(c.n == n && c.q == Quadrati(n).q);
  c.linee = intervallo<W>(0, n);
  const int bande = c.bande;
  riempi(c.fasce, bande, RigaDi<W>{});
  for (int b = 0; b < bande; ++b)
    c.fasce[b] = intervallo<W>(b * c.q, (b + 1) * c.q);
  riempi(c.banda, n, 0);
  for (int k = 0; k < n; ++k)
    c.banda[k] = k / c.q;
}

} // namespace

template <int W, int L> void inizializza(int n, const Griglia &g, CuboDi<W, L> &c) {
  using R = RigaDi<W>;
  geometria(c, n);
  const int m = n + 1; // values 0..n: slot 0 gathers the empty cells and is not read

  c.tolti = 0;
  riempi(c.quiete, n * c.bande, R{});
  riempi(c.colsole, n, R{});
  riempi(c.vuoteriga, n, R{});
  riempi(c.vuotecolonna, n, R{});
  riempi(c.righecon, m, R{});
  riempi(c.colonnecon, m, R{});
  riempi(c.bloccocol, c.bande * m, R{});
  riempi(c.valoririga, n, R{});
  riempi(c.valoricolonna, n, R{});
  riempi(c.valoriquadrato, c.bande * c.bande, R{});
  std::vector<R> vuote(n, R{}); // [i]: the empty cells of row i
  // One pass over the grid without a branch per cell.
  for (int i = 0; i < n; ++i) {
    const int *riga = g[i].data();
    for (int j = 0; j < n; ++j) {
      const int v = riga[j];
      vuote[i].w[j >> 6] |= std::uint64_t{v == 0} << (j & 63);
      segna(c, i, j, v);
    }
  }
  // segna took every cell for filled: the empty ones, row- and column-wise.
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      scrivibit(c.vuotecolonna[j], i, ha(vuote[i], j));
  std::copy(vuote.begin(), vuote.end(), c.vuoteriga.begin());
  // Value v+1 is a candidate at (i, j) when the cell is empty, and neither
  // the row, nor the column, nor the box holds it.
  riempi(c.righe, n * n, R{});
  riempi(c.colonne, n * n, R{});
  riempi(c.valori, n * n, R{});
  for (int v = 0; v < n; ++v)
    for (int i = 0; i < n; ++i) {
      if (ha(c.righecon[v + 1], i))
        continue;
      R resto = senza(senza(vuote[i], c.colonnecon[v + 1]), c.bloccocol[c.banda[i] * m + v + 1]);
      c.righe[v * n + i] = resto;
      for (int j = primo(resto); j >= 0; j = primo(resto)) {
        togli(resto, j);
        metti(c.colonne[v * n + j], i);
        metti(c.valori[i * n + j], v);
      }
    }
  for (int v = 0; v < n; ++v)
    for (int j = 0; j < n; ++j)
      riconta(c, v, j);
}

template void inizializza(int, const Griglia &, CuboDi<1> &);
template void inizializza(int, const Griglia &, CuboDi<2> &);
template void inizializza(int, const Griglia &, CuboDi<1, 9> &);
template void inizializza(int, const Griglia &, CuboDi<1, 16> &);
template void inizializza(int, const Griglia &, CuboDi<1, 25> &);
