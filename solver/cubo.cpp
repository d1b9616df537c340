#include "solver/cubo.h"

namespace {

template <int W> void geometria(CuboDi<W> &c, int n) {
  if (c.n == n && !c.bandacol.empty())
    return;
  c.n = n;
  c.q = latoquadrato(n);
  c.bande = n / c.q;
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

} // namespace

template <int W> void inizializza(int n, const Griglia &g, CuboDi<W> &c) {
  using R = RigaDi<W>;
  geometria(c, n);
  const int q = c.q;
  const int bande = c.bande;

  c.righecon.assign(n, R{});
  c.colonnecon.assign(n, R{});
  c.bloccocol.assign(bande * n, R{});
  c.bloccoriga.assign(bande * n, R{});
  c.vuoteriga.assign(n, R{});
  c.vuotecol.assign(n, R{});
  for (int i = 0; i < n; ++i) {
    const std::vector<int> &riga = g[i];
    for (int j = 0; j < n; ++j) {
      const int v = riga[j] - 1;
      if (v < 0) {
        metti(c.vuoteriga[i], j);
        metti(c.vuotecol[j], i);
        continue;
      }
      metti(c.righecon[v], i);
      metti(c.colonnecon[v], j);
      R &bc = c.bloccocol[(i / q) * n + v];
      bc = bc | c.bandacol[j / q];
      R &br = c.bloccoriga[(j / q) * n + v];
      br = br | c.bandariga[i / q];
    }
  }

  c.righe.resize(n * n);
  c.colonne.resize(n * n);
  for (int v = 0; v < n; ++v) {
    for (int i = 0; i < n; ++i)
      c.righe[v * n + i] = ha(c.righecon[v], i) ? R{}
                                                : senza(senza(c.vuoteriga[i], c.colonnecon[v]),
                                                        c.bloccocol[(i / q) * n + v]);
    for (int j = 0; j < n; ++j)
      c.colonne[v * n + j] = ha(c.colonnecon[v], j) ? R{}
                                                    : senza(senza(c.vuotecol[j], c.righecon[v]),
                                                            c.bloccoriga[(j / q) * n + v]);
  }
}

template void inizializza<1>(int, const Griglia &, CuboDi<1> &);
template void inizializza<2>(int, const Griglia &, CuboDi<2> &);
