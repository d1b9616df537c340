#include "solver/cubo.h"

namespace {

template <int W> void geometria(CuboDi<W> &c, int n) {
  if (c.n == n && !c.bandacol.empty())
    return;
  c.n = n;
  c.q = latoquadrato(n);
  c.bande = n / c.q;
  c.linee = intervallo<W>(0, n);
  const int bande = c.bande;
  c.bandacol.assign(bande, RigaDi<W>{});
  c.bandariga.assign(bande, RigaDi<W>{});
  for (int b = 0; b < bande; ++b) {
    c.bandacol[b] = intervallo<W>(b * c.q, (b + 1) * c.q);
    c.bandariga[b] = c.bandacol[b];
  }
  c.banda.resize(n);
  for (int k = 0; k < n; ++k)
    c.banda[k] = k / c.q;
}

} // namespace

template <int W> void inizializza(int n, const Griglia &g, CuboDi<W> &c) {
  using R = RigaDi<W>;
  geometria(c, n);
  const int m = n + 1; // values 0..n: slot 0 gathers the empty cells and is not read

  c.tolti = 0;
  c.quiete.assign(n * c.bande, R{});
  c.colsole.assign(n, R{});
  c.vuoteriga.assign(n, R{});
  c.vuotecolonna.assign(n, R{});
  c.righecon.assign(m, R{});
  c.colonnecon.assign(m, R{});
  c.bloccocol.assign(c.bande * m, R{});
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
      poni(c.vuotecolonna[j], i, ha(vuote[i], j));
  c.vuoteriga = vuote;
  // Value v+1 is a candidate at (i, j) when the cell is empty, and neither
  // the row, nor the column, nor the box holds it.
  c.righe.assign(n * n, R{});
  c.colonne.assign(n * n, R{});
  c.valori.assign(n * n, R{});
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

template void inizializza<1>(int, const Griglia &, CuboDi<1> &);
template void inizializza<2>(int, const Griglia &, CuboDi<2> &);
