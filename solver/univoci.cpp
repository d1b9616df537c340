#include "solver/univoci.h"

namespace {

struct Passata {
  Cubo &c;
  Griglia &g;
  std::vector<Cella> &lista;
  std::vector<char> sporco; // [v]: plane v changed since its last visits that changed nothing
};

// Clears value v from the given cells; true when any was a candidate.
bool svuotariga(Cubo &c, int v, int i, const Riga &maschera) {
  const Riga bits = c.righe[v * c.n + i] & maschera;
  bool tolto = false;
  for (int k = prossimo(bits, 0); k >= 0; k = prossimo(bits, k + 1))
    tolto |= cancella(c, v, i, k);
  return tolto;
}

bool svuotacolonna(Cubo &c, int v, int j, const Riga &maschera) {
  const Riga bits = c.colonne[v * c.n + j] & maschera;
  bool tolto = false;
  for (int k = prossimo(bits, 0); k >= 0; k = prossimo(bits, k + 1))
    tolto |= cancella(c, v, k, j);
  return tolto;
}

void svuotaquadrato(Cubo &c, int v, int i, int j) {
  const int r0 = (i / c.q) * c.q;
  for (int r = r0; r < r0 + c.q; ++r)
    svuotariga(c, v, r, c.bandacol[j / c.q]);
}

const Riga tutte{{~std::uint64_t{0}, ~std::uint64_t{0}}};

void piazza(Passata &p, int v, int i, int j, int tipo) {
  Cubo &c = p.c;
  for (int m = 0; m < c.n; ++m)
    if (cancella(c, m, i, j) && m != v)
      p.sporco[m] = 1;
  p.g[i][j] = v + 1;
  ++classifica;
  passi[i][j] = codicepasso(classifica, tipo);
  p.lista.push_back({i, j});
  // The test's own unit holds no other candidate; clear the other two.
  if (tipo != PASSO_RIGA)
    svuotariga(c, v, i, tutte);
  if (tipo != PASSO_COLONNA)
    svuotacolonna(c, v, j, tutte);
  if (tipo != PASSO_QUADRATO)
    svuotaquadrato(c, v, i, j);
}

// Line/box elimination for the box of (i, j), which holds a candidate of v
// there.  If the box's candidates of v lie in one row, that row loses v
// outside the box; otherwise, if they lie in one column, that column does.
bool eliminazione(Cubo &c, int v, int i, int j) {
  const int q = c.q;
  const int r0 = (i / q) * q, c0 = (j / q) * q;
  const Riga &colbox = c.bandacol[j / q];
  const Riga &rigbox = c.bandariga[i / q];
  int trovate = 0;
  for (int r = r0; r < r0 + q && trovate < 2; ++r)
    if (!vuota(c.righe[v * c.n + r] & colbox))
      ++trovate;
  if (trovate == 1)
    return svuotariga(c, v, i, senza(tutte, colbox));
  trovate = 0;
  for (int k = c0; k < c0 + q && trovate < 2; ++k)
    if (!vuota(c.colonne[v * c.n + k] & rigbox))
      ++trovate;
  if (trovate == 1)
    return svuotacolonna(c, v, j, senza(tutte, rigbox));
  return false;
}

// One visit of the sweep at a candidate (v, i, j): the row, column and box
// tests in this order, else the elimination.  True when anything changed.
bool visita(Passata &p, int v, int i, int j) {
  Cubo &c = p.c;
  if (unico(c.righe[v * c.n + i])) {
    piazza(p, v, i, j, PASSO_RIGA);
    return true;
  }
  if (unico(c.colonne[v * c.n + j])) {
    piazza(p, v, i, j, PASSO_COLONNA);
    return true;
  }
  if (nelquadrato(c, v, quadrato(c, i, j)) == 1) {
    piazza(p, v, i, j, PASSO_QUADRATO);
    return true;
  }
  return eliminazione(c, v, i, j);
}

// Visits plane v in row-major order; each visit sees the changes of the ones
// before it.  Only candidates are visited: an empty entry is a no-op.
bool passapiano(Passata &p, int v) {
  Cubo &c = p.c;
  bool cambiato = false;
  for (int i = 0; i < c.n; ++i) {
    const Riga &riga = c.righe[v * c.n + i];
    for (int j = prossimo(riga, 0); j >= 0; j = prossimo(riga, j + 1))
      cambiato |= visita(p, v, i, j);
  }
  return cambiato;
}

} // namespace

void univoci(int n, Cubo &c, Griglia &g, std::vector<Cella> &lista) {
  const std::size_t inizio = lista.size();
  Passata p{c, g, lista, std::vector<char>(n, 1)};
  // A plane's visits read only that plane, so a plane untouched since a run
  // of its visits that changed nothing would change nothing again: skip it.
  bool giro = true;
  while (giro) {
    giro = false;
    for (int v = 0; v < n; ++v) {
      if (!p.sporco[v])
        continue;
      p.sporco[v] = 0;
      if (passapiano(p, v)) {
        giro = true;
        p.sporco[v] = 1;
      }
    }
  }
  if (primozero == 0) {
    std::string s = "Numeri inseriti con la tecnica dello sliding (cancella): " +
                    std::to_string(lista.size() - inizio) + ".\n\nTabella aggiornata:\n\n";
    s += ecogriglia(g);
    console(s);
  }
}
