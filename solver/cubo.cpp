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
  c.quadratodi.resize(n * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      c.quadratodi[i * n + j] = c.banda[i] * bande + c.banda[j];
}

// Builds the candidates from the record alone.
template <int W> void ricostruisci(CuboDi<W> &c) {
  using R = RigaDi<W>;
  const int n = c.n, m = n + 1;
  // Value v+1 is a candidate at (i, j) when the cell is empty, and neither
  // the row, nor the column, nor the box holds it.
  c.righe.resize(n * n);
  c.colonne.resize(n * n);
  for (int v = 0; v < n; ++v) {
    const R &inriga = c.righecon[v + 1], &incolonna = c.colonnecon[v + 1];
    for (int i = 0; i < n; ++i)
      c.righe[v * n + i] = ha(inriga, i) ? R{}
                                         : senza(senza(c.vuoteriga[i], incolonna),
                                                 c.bloccocol[c.banda[i] * m + v + 1]);
    for (int j = 0; j < n; ++j)
      c.colonne[v * n + j] = ha(incolonna, j) ? R{}
                                              : senza(senza(c.vuotecol[j], inriga),
                                                      c.bloccoriga[c.banda[j] * m + v + 1]);
  }
  c.valori.assign(n * n, R{});
  for (int v = 0; v < n; ++v)
    for (int i = 0; i < n; ++i) {
      R resto = c.righe[v * n + i];
      for (int j = primo(resto); j >= 0; j = primo(resto)) {
        togli(resto, j);
        metti(c.valori[i * n + j], v);
      }
    }
}

} // namespace

template <int W> void segna(CuboDi<W> &c, int i, int j, int v) {
  const int m = c.n + 1, bi = c.banda[i], bj = c.banda[j];
  togli(c.vuoteriga[i], j);
  togli(c.vuotecol[j], i);
  metti(c.righecon[v], i);
  metti(c.colonnecon[v], j);
  c.bloccocol[bi * m + v] = c.bloccocol[bi * m + v] | c.bandacol[bj];
  c.bloccoriga[bj * m + v] = c.bloccoriga[bj * m + v] | c.bandariga[bi];
}

template <int W> void libera(CuboDi<W> &c, int i, int j, int v) {
  // v stood only here in its row, its column and its box.
  const int m = c.n + 1, bi = c.banda[i], bj = c.banda[j];
  metti(c.vuoteriga[i], j);
  metti(c.vuotecol[j], i);
  togli(c.righecon[v], i);
  togli(c.colonnecon[v], j);
  c.bloccocol[bi * m + v] = senza(c.bloccocol[bi * m + v], c.bandacol[bj]);
  c.bloccoriga[bj * m + v] = senza(c.bloccoriga[bj * m + v], c.bandariga[bi]);
}

template <int W> RigaDi<W> occupa(CuboDi<W> &c, int v, int i, int j) {
  const int n = c.n;
  const RigaDi<W> toccati = c.valori[i * n + j];
  RigaDi<W> valori = toccati;
  for (int m = primo(valori); m >= 0; m = primo(valori)) {
    togli(valori, m);
    togli(c.righe[m * n + i], j);
    togli(c.colonne[m * n + j], i);
    registra(c, m, i, j);
  }
  svuotariga(c, v, i, tutti<W>());
  svuotacolonna(c, v, j, tutti<W>());
  const int r0 = c.banda[i] * c.q;
  for (int r = r0; r < r0 + c.q; ++r)
    svuotariga(c, v, r, c.bandacol[c.banda[j]]);
  return toccati;
}

template <int W> void inizializza(int n, const Griglia &g, CuboDi<W> &c) {
  using R = RigaDi<W>;
  geometria(c, n);
  const int bande = c.bande;
  const int m = n + 1; // values 0..n: slot 0 gathers the empty cells and is not read

  c.tolti = 0;
  c.quiete.assign(n * c.bande, R{});
  c.righecon.assign(m, R{});
  c.colonnecon.assign(m, R{});
  c.bloccocol.assign(bande * m, R{});
  c.bloccoriga.assign(bande * m, R{});
  c.vuoteriga.assign(n, R{});
  c.vuotecol.assign(n, R{});
  // One pass over the grid without a branch per cell.
  for (int i = 0; i < n; ++i) {
    const int *riga = g[i].data();
    const int bi = c.banda[i];
    for (int j = 0; j < n; ++j) {
      const int v = riga[j];
      const std::uint64_t vuota = v == 0;
      c.vuoteriga[i].w[j >> 6] |= vuota << (j & 63);
      c.vuotecol[j].w[i >> 6] |= vuota << (i & 63);
      metti(c.righecon[v], i);
      metti(c.colonnecon[v], j);
      R &bc = c.bloccocol[bi * m + v];
      bc = bc | c.bandacol[c.banda[j]];
      R &br = c.bloccoriga[c.banda[j] * m + v];
      br = br | c.bandariga[bi];
    }
  }
  ricostruisci(c);
}

template void inizializza<1>(int, const Griglia &, CuboDi<1> &);
template void inizializza<2>(int, const Griglia &, CuboDi<2> &);
template void segna<1>(CuboDi<1> &, int, int, int);
template void segna<2>(CuboDi<2> &, int, int, int);
template void libera<1>(CuboDi<1> &, int, int, int);
template void libera<2>(CuboDi<2> &, int, int, int);
template RigaDi<1> occupa<1>(CuboDi<1> &, int, int, int);
template RigaDi<2> occupa<2>(CuboDi<2> &, int, int, int);
