#include "solver/cubo.h"

namespace {

void geometria(Cubo &c, int n) {
  if (c.n == n && !c.bandacol.empty())
    return;
  c.n = n;
  c.q = latoquadrato(n);
  c.bande = n / c.q;
  const int bande = c.bande;
  c.bandacol.assign(bande, Riga{});
  c.bandariga.assign(bande, Riga{});
  for (int b = 0; b < bande; ++b) {
    c.bandacol[b] = intervallo(b * c.q, (b + 1) * c.q);
    c.bandariga[b] = c.bandacol[b];
  }
}

} // namespace

void inizializza(int n, const Griglia &g, Cubo &c) {
  geometria(c, n);
  const int q = c.q;
  const int bande = c.bande;

  // Where each value already stands: rows, columns, and (per band) the
  // columns or rows that its boxes cover.
  std::vector<Riga> righecon(n), colonnecon(n);
  std::vector<Riga> bloccocol(bande * n), bloccoriga(bande * n); // [band*n + v]
  std::vector<Riga> vuoteriga(n), vuotecol(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int v = g[i][j] - 1;
      if (v < 0) {
        metti(vuoteriga[i], j);
        metti(vuotecol[j], i);
        continue;
      }
      metti(righecon[v], i);
      metti(colonnecon[v], j);
      Riga &bc = bloccocol[(i / q) * n + v];
      bc = bc | c.bandacol[j / q];
      Riga &br = bloccoriga[(j / q) * n + v];
      br = br | c.bandariga[i / q];
    }

  c.righe.assign(n * n, Riga{});
  c.colonne.assign(n * n, Riga{});
  c.quadrati.assign(n * bande * bande, 0);
  for (int v = 0; v < n; ++v) {
    for (int i = 0; i < n; ++i)
      if (!ha(righecon[v], i))
        c.righe[v * n + i] = senza(senza(vuoteriga[i], colonnecon[v]), bloccocol[(i / q) * n + v]);
    for (int j = 0; j < n; ++j)
      if (!ha(colonnecon[v], j))
        c.colonne[v * n + j] = senza(senza(vuotecol[j], righecon[v]), bloccoriga[(j / q) * n + v]);
    for (int i = 0; i < n; ++i) {
      const Riga &r = c.righe[v * n + i];
      if (vuota(r))
        continue;
      for (int b = 0; b < bande; ++b)
        nelquadrato(c, v, (i / q) * bande + b) += conta(r & c.bandacol[b]);
    }
  }
}

bool cancella(Cubo &c, int v, int i, int j) {
  Riga &r = c.righe[v * c.n + i];
  if (!ha(r, j))
    return false;
  togli(r, j);
  togli(c.colonne[v * c.n + j], i);
  --nelquadrato(c, v, quadrato(c, i, j));
  return true;
}
