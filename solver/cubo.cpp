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

// The hottest path of the search, so written out with every table in a
// local pointer and the log filled through a pointer of its own; what it
// does per candidate is what registra does.
template <int W> RigaDi<W> occupa(CuboDi<W> &c, int v, int i, int j) {
  using R = RigaDi<W>;
  const int n = c.n, bande = c.bande, bi = c.banda[i];
  // At most n candidates go from the cell, and n from each unit of v+1.
  if (c.storia.size() - c.tolti < std::size_t(4 * n))
    allunga(c);
  Tolto *log = c.storia.data() + c.tolti;
  const auto annota = [&log](int v, int i, int j) {
    *log++ = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(i),
              static_cast<std::uint8_t>(j)};
  };
  R *righe = c.righe.data(), *colonne = c.colonne.data();
  R *valori = c.valori.data(), *quiete = c.quiete.data(), *sole = c.colsole.data();
  const int *banda = c.banda.data();
  const R *bandacol = c.bandacol.data();
  const R pila = bandacol[banda[j]]; // the columns of the cell's box

  // Every value the cell could still take.
  const R toccati = valori[i * n + j];
  valori[i * n + j] = R{};
  R resto = toccati;
  for (int m = primo(resto); m >= 0; m = primo(resto)) {
    togli(resto, m);
    togli(righe[m * n + i], j);
    R &colonna = colonne[m * n + j];
    togli(colonna, i);
    poni(sole[m], j, unico(colonna));
    quiete[m * bande + bi] = senza(quiete[m * bande + bi], pila);
    annota(m, i, j);
  }
  // v+1 from row i, column j and the box: plane v only.
  R *pr = righe + v * n, *pc = colonne + v * n, *qv = quiete + v * bande;
  resto = pr[i];
  pr[i] = R{};
  for (int k = primo(resto); k >= 0; k = primo(resto)) {
    togli(resto, k);
    togli(pc[k], i);
    poni(sole[v], k, unico(pc[k]));
    togli(valori[i * n + k], v);
    qv[bi] = senza(qv[bi], bandacol[banda[k]]);
    annota(v, i, k);
  }
  resto = pc[j];
  pc[j] = R{};
  togli(sole[v], j);
  for (int k = primo(resto); k >= 0; k = primo(resto)) {
    togli(resto, k);
    togli(pr[k], j);
    togli(valori[k * n + j], v);
    qv[banda[k]] = senza(qv[banda[k]], pila);
    annota(v, k, j);
  }
  for (int r = bi * c.q; r < (bi + 1) * c.q; ++r) {
    resto = pr[r] & pila;
    pr[r] = senza(pr[r], resto);
    for (int k = primo(resto); k >= 0; k = primo(resto)) {
      togli(resto, k);
      togli(pc[k], r);
      poni(sole[v], k, unico(pc[k]));
      togli(valori[r * n + k], v);
      annota(v, r, k);
    }
  }
  qv[bi] = senza(qv[bi], pila);
  c.tolti = static_cast<std::size_t>(log - c.storia.data());
  return toccati;
}

template <int W> void inizializza(int n, const Griglia &g, CuboDi<W> &c) {
  using R = RigaDi<W>;
  geometria(c, n);
  const int m = n + 1; // values 0..n: slot 0 gathers the empty cells and is not read

  c.tolti = 0;
  c.quiete.assign(n * c.bande, R{});
  c.colsole.assign(n, R{});
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
template RigaDi<1> occupa<1>(CuboDi<1> &, int, int, int);
template RigaDi<2> occupa<2>(CuboDi<2> &, int, int, int);
