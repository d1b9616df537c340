#include "solver/univoci.h"

namespace {

template <int W> struct Passata {
  CuboDi<W> &c;
  Griglia &g;
  std::vector<Cella> &lista;
  std::vector<char> &sporco;          // [v]: plane v changed since a run of its visits that
                                      // changed nothing
  std::vector<std::uint64_t> &quieto; // [box]: epoca at which the box was found to hold
                                      // nothing for the line/box elimination
  std::vector<Tolto> &eliminati;      // candidates removed by eliminations, in order
  std::uint64_t epoca;                // bumped at every change of the plane being visited
};

// Scratch space reused by every pass of the process.
std::vector<char> sporcopiani;
std::vector<std::uint64_t> quietoquadrati;
std::uint64_t ultimaepoca = 0;

// Clears value v from the given cells; true when any was a candidate.
template <int W> bool svuotariga(CuboDi<W> &c, int v, int i, const RigaDi<W> &maschera) {
  const RigaDi<W> bits = c.righe[v * c.n + i] & maschera;
  bool tolto = false;
  for (int k = prossimo(bits, 0); k >= 0; k = prossimo(bits, k + 1))
    tolto |= cancella(c, v, i, k);
  return tolto;
}

template <int W> bool svuotacolonna(CuboDi<W> &c, int v, int j, const RigaDi<W> &maschera) {
  const RigaDi<W> bits = c.colonne[v * c.n + j] & maschera;
  bool tolto = false;
  for (int k = prossimo(bits, 0); k >= 0; k = prossimo(bits, k + 1))
    tolto |= cancella(c, v, k, j);
  return tolto;
}

template <int W> void svuotaquadrato(CuboDi<W> &c, int v, int i, int j) {
  const int r0 = c.banda[i] * c.q;
  for (int r = r0; r < r0 + c.q; ++r)
    svuotariga(c, v, r, c.bandacol[c.banda[j]]);
}

// What the box test and the line/box elimination make of a box of plane v.
enum class Esame { niente, singolo, eliminariga, eliminacolonna };

// Looks at the candidates of v in the box at band br, stack bc.  singolo:
// the box holds one candidate.  eliminariga: they lie in one row (linea),
// which holds v outside the box too.  eliminacolonna: they span two rows or
// more, lie in one column (linea), which holds v outside the box too.
template <int W> Esame esamina(const CuboDi<W> &c, int v, int br, int bc, int &linea) {
  using R = RigaDi<W>;
  const int q = c.q;
  const R &colbox = c.bandacol[bc];
  const R *righe = &c.righe[v * c.n];
  int trovate = 0;
  R prima;
  for (int r = br * q; r < (br + 1) * q; ++r) {
    const R m = righe[r] & colbox;
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
  const R &rigbox = c.bandariga[br];
  const R *colonne = &c.colonne[v * c.n];
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

template <int W> void piazza(Passata<W> &p, int v, int i, int j, int tipo) {
  occupa(p.c, v, i, j, p.sporco);
  p.g[i][j] = v + 1;
  segna(p.c, i, j, v + 1);
  ++classifica;
  passi[i][j] = codicepasso(classifica, tipo);
  p.lista.push_back({i, j});
}

// Logs what an elimination removed from the cube since the log had `da` entries.
template <int W> void annota(Passata<W> &p, std::size_t da) {
  p.eliminati.insert(p.eliminati.end(), p.c.storia.begin() + static_cast<std::ptrdiff_t>(da),
                     p.c.storia.end());
}

// What a visit at the candidate (v, i, j) does, in the order of the tests:
// the row test, the column test, the box test, else the elimination.
// True when it changed anything.
template <int W> bool visita(Passata<W> &p, int v, int i, int j) {
  CuboDi<W> &c = p.c;
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
    case Esame::eliminariga: {
      const std::size_t da = c.storia.size();
      svuotariga(c, v, linea, senza(tutti<W>(), c.bandacol[c.banda[j]]));
      annota(p, da);
      break;
    }
    case Esame::eliminacolonna: {
      const std::size_t da = c.storia.size();
      svuotacolonna(c, v, linea, senza(tutti<W>(), c.bandariga[c.banda[i]]));
      annota(p, da);
      break;
    }
    }
  }
  ++p.epoca;
  return true;
}

// Visits plane v in row-major order; each visit sees the changes of the ones
// before it.  Only candidates are visited, and a visit that can be seen to
// change nothing is passed over: its row and column hold other candidates,
// and its box was found quiet since the plane last changed.
template <int W> bool passapiano(Passata<W> &p, int v) {
  CuboDi<W> &c = p.c;
  const int n = c.n;
  const RigaDi<W> *righe = c.righe.data() + v * n;
  const RigaDi<W> *colonne = c.colonne.data() + v * n;
  const std::uint64_t *quieto = p.quieto.data();
  bool cambiato = false;
  ++p.epoca; // verdicts from other planes do not hold here
  for (int i = 0; i < n; ++i) {
    const int *quadratiriga = c.quadratodi.data() + i * n;
    // resto: the candidates of the row not visited yet; a change re-reads it.
    RigaDi<W> resto = righe[i];
    bool unica = unico(resto);
    for (int j = primo(resto); j >= 0; j = primo(resto)) {
      togli(resto, j);
      if (!unica && !unico(colonne[j]) && quieto[quadratiriga[j]] == p.epoca)
        continue;
      if (visita(p, v, i, j)) {
        cambiato = true;
        resto = dopo(righe[i], j);
        unica = unico(righe[i]);
      }
    }
  }
  return cambiato;
}

} // namespace

template <int W> void occupa(CuboDi<W> &c, int v, int i, int j, std::vector<char> &sporco) {
  for (int m = 0; m < c.n; ++m)
    if (cancella(c, m, i, j))
      sporco[m] = 1;
  svuotariga(c, v, i, tutti<W>());
  svuotacolonna(c, v, j, tutti<W>());
  svuotaquadrato(c, v, i, j);
}

template <int W>
void univoci(int n, CuboDi<W> &c, Griglia &g, std::vector<Cella> &lista, const Riga &sporchi,
             std::vector<Tolto> &eliminati) {
  const std::size_t inizio = lista.size();
  sporcopiani.resize(n);
  for (int v = 0; v < n; ++v)
    sporcopiani[v] = ha(sporchi, v);
  quietoquadrati.resize(c.bande * c.bande);
  Passata<W> p{c, g, lista, sporcopiani, quietoquadrati, eliminati, ultimaepoca};
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

template <int W> void univoci(int n, CuboDi<W> &c, Griglia &g, std::vector<Cella> &lista) {
  std::vector<Tolto> eliminati;
  univoci(n, c, g, lista, intervallo(0, n), eliminati);
}

template void occupa<1>(CuboDi<1> &, int, int, int, std::vector<char> &);
template void occupa<2>(CuboDi<2> &, int, int, int, std::vector<char> &);
template void univoci<1>(int, CuboDi<1> &, Griglia &, std::vector<Cella> &, const Riga &,
                         std::vector<Tolto> &);
template void univoci<2>(int, CuboDi<2> &, Griglia &, std::vector<Cella> &, const Riga &,
                         std::vector<Tolto> &);
template void univoci<1>(int, CuboDi<1> &, Griglia &, std::vector<Cella> &);
template void univoci<2>(int, CuboDi<2> &, Griglia &, std::vector<Cella> &);
