#include "solver/univoci.h"

namespace {

struct Passata {
  Cubo &c;
  Griglia &g;
  std::vector<Cella> &lista;
  std::vector<char> &sporco;          // [v]: plane v changed since a run of its visits that
                                      // changed nothing
  std::vector<std::uint64_t> &quieto; // [box]: epoca at which the box was found to hold
                                      // nothing for the line/box elimination
  std::uint64_t epoca;                // bumped at every change of the plane being visited
};

// Scratch space reused by every pass of the process.
std::vector<char> sporcopiani;
std::vector<std::uint64_t> quietoquadrati;
std::uint64_t ultimaepoca = 0;

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
  const int r0 = c.banda[i] * c.q;
  for (int r = r0; r < r0 + c.q; ++r)
    svuotariga(c, v, r, c.bandacol[c.banda[j]]);
}

const Riga tutte{{~std::uint64_t{0}, ~std::uint64_t{0}}};

// What the box test and the line/box elimination make of a box of plane v.
enum class Esame { niente, singolo, eliminariga, eliminacolonna };

// Looks at the candidates of v in the box at band br, stack bc.  singolo:
// the box holds one candidate.  eliminariga: they lie in one row (linea),
// which holds v outside the box too.  eliminacolonna: they span two rows or
// more, lie in one column (linea), which holds v outside the box too.
Esame esamina(const Cubo &c, int v, int br, int bc, int &linea) {
  const int q = c.q;
  const Riga &colbox = c.bandacol[bc];
  const Riga *righe = &c.righe[v * c.n];
  int trovate = 0;
  Riga prima;
  for (int r = br * q; r < (br + 1) * q; ++r) {
    const Riga m = righe[r] & colbox;
    if (vuota(m))
      continue;
    if (++trovate == 2)
      break;
    prima = m;
    linea = r;
  }
  if (trovate == 1) {
    if (unico(prima))
      return Esame::singolo;
    return vuota(senza(righe[linea], colbox)) ? Esame::niente : Esame::eliminariga;
  }
  const Riga &rigbox = c.bandariga[br];
  const Riga *colonne = &c.colonne[v * c.n];
  trovate = 0;
  for (int k = bc * q; k < (bc + 1) * q && trovate < 2; ++k)
    if (!vuota(colonne[k] & rigbox)) {
      ++trovate;
      linea = k;
    }
  if (trovate == 1 && !vuota(senza(colonne[linea], rigbox)))
    return Esame::eliminacolonna;
  return Esame::niente;
}

void piazza(Passata &p, int v, int i, int j, int tipo) {
  Cubo &c = p.c;
  for (int m = 0; m < c.n; ++m)
    if (cancella(c, m, i, j))
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

// What a visit at the candidate (v, i, j) does, in the order of the tests:
// the row test, the column test, the box test, else the elimination.
// True when it changed anything.
bool visita(Passata &p, int v, int i, int j) {
  Cubo &c = p.c;
  const int n = c.n;
  if (unico(c.righe[v * n + i])) {
    piazza(p, v, i, j, PASSO_RIGA);
  } else if (unico(c.colonne[v * n + j])) {
    piazza(p, v, i, j, PASSO_COLONNA);
  } else {
    int linea = 0;
    switch (esamina(c, v, c.banda[i], c.banda[j], linea)) {
    case Esame::niente:
      p.quieto[quadrato(c, i, j)] = p.epoca;
      return false;
    case Esame::singolo:
      piazza(p, v, i, j, PASSO_QUADRATO);
      break;
    case Esame::eliminariga:
      svuotariga(c, v, linea, senza(tutte, c.bandacol[c.banda[j]]));
      break;
    case Esame::eliminacolonna:
      svuotacolonna(c, v, linea, senza(tutte, c.bandariga[c.banda[i]]));
      break;
    }
  }
  ++p.epoca;
  return true;
}

// Visits plane v in row-major order; each visit sees the changes of the ones
// before it.  Only candidates are visited, and a visit that can be seen to
// change nothing is passed over: its row and column hold other candidates,
// and its box was found quiet since the plane last changed.
bool passapiano(Passata &p, int v) {
  Cubo &c = p.c;
  const int n = c.n;
  const Riga *righe = c.righe.data() + v * n;
  const Riga *colonne = c.colonne.data() + v * n;
  const int *quadratodi = c.quadratodi.data();
  const std::uint64_t *quieto = p.quieto.data();
  bool cambiato = false;
  ++p.epoca; // verdicts from other planes do not hold here
  for (int i = 0; i < n; ++i) {
    const Riga &riga = righe[i];
    for (int j = prossimo(riga, 0); j >= 0; j = prossimo(riga, j + 1)) {
      if (!unico(riga) && !unico(colonne[j]) && quieto[quadratodi[i * n + j]] == p.epoca)
        continue;
      cambiato |= visita(p, v, i, j);
    }
  }
  return cambiato;
}

} // namespace

void univoci(int n, Cubo &c, Griglia &g, std::vector<Cella> &lista) {
  const std::size_t inizio = lista.size();
  sporcopiani.assign(n, 1);
  quietoquadrati.resize(c.bande * c.bande);
  Passata p{c, g, lista, sporcopiani, quietoquadrati, ultimaepoca};
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
  ultimaepoca = p.epoca;
  if (primozero == 0) {
    std::string s = "Numeri inseriti con la tecnica dello sliding (cancella): " +
                    std::to_string(lista.size() - inizio) + ".\n\nTabella aggiornata:\n\n";
    s += ecogriglia(g);
    console(s);
  }
}
