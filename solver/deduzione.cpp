#include "solver/deduzione.h"

#include <algorithm>

namespace {

template <int W, int L> struct Passata {
  CuboDi<W, L> &c;
  Griglia &g;
  std::vector<Cella> &lista;
  RigaDi<W> sporco;              // planes changed since a run of their visits that
                                 // changed nothing
  std::vector<Tolto> &eliminati; // candidates removed by eliminations, in order
  bool guarda = false;           // watching (fi, fj), the grid's first empty cell, for a dead end
  int fi = 0, fj = 0;
  bool vicolo = false; // that cell has no value left: the pass stops (see univoci)
};

// What the box test and the line/box elimination make of a box of plane v.
enum class Esame { niente, singolo, eliminariga, eliminacolonna };

// Looks at the candidates of v in the box at band br, stack bc.  singolo:
// the box holds one candidate.  eliminariga: they lie in one row (linea),
// which holds v outside the box too.  eliminacolonna: they span two rows or
// more, lie in one column (linea), which holds v outside the box too.
template <int W, int L> Esame esamina(const CuboDi<W, L> &c, int v, int br, int bc, int &linea) {
  using R = RigaDi<W>;
  const R &colbox = c.fasce[bc];
  const R *righe = &c.righe[v * c.n];
  const R *vuote = c.vuoteriga.data();
  // One look at each row of the box, without an early way out or a branch
  // per row: the box is small.
  const int prima = br * c.q; // the first row of the box
  R unione;                   // columns of the box holding a candidate
  RigaDi<1> piene;            // bit k: row prima + k holds a candidate
  for (int k = 0; k < c.q; ++k) {
    const R m = righe[prima + k] & vuote[prima + k] & colbox;
    piene.w[0] |= std::uint64_t{!vuota(m)} << k;
    unione = unione | m;
  }
  const bool unariga = unico(piene), unacolonna = unico(unione);
  // Most boxes span two rows and two columns (or are empty): one test.
  if (!(unariga | unacolonna))
    return Esame::niente;
  if (unariga) {
    linea = prima + primo(piene);
    if (unacolonna)
      return Esame::singolo;
    return vuota(senza(riga(c, v, linea), colbox)) ? Esame::niente : Esame::eliminariga;
  }
  linea = primo(unione);
  return vuota(senza(colonna(c, v, linea), c.fasce[br])) ? Esame::niente : Esame::eliminacolonna;
}

template <int W, int L> void piazza(Passata<W, L> &p, int v, int i, int j, int tipo) {
  p.g[i][j] = v + 1;
  segna(p.c, i, j, v + 1);
  p.sporco = p.sporco | occupa(p.c, v, i, j);
  ++classifica;
  passi[i][j] = codicepasso(classifica, tipo);
  p.lista.push_back({i, j});
  if (p.guarda) {
    if (i == p.fi && j == p.fj)
      p.guarda = primavuotada(p.c, p.fi, p.fj);
    p.vicolo = p.guarda && bloccata(p.c, p.fi, p.fj);
  }
}

// Logs what an elimination removed from the cube since the log had `da` entries.
template <int W, int L> void annota(Passata<W, L> &p, std::size_t da) {
  // An entry at a time: an elimination removes a few candidates only.
  for (std::size_t k = da; k < p.c.tolti; ++k)
    p.eliminati.push_back(p.c.storia[k]);
}

// What a visit at the candidate (v, i, j) does, in the order of the tests:
// the row test, the column test, the box test, else the elimination.  The
// caller knows whether row i and column j hold this one candidate only.
// True when it changed anything.
template <int W, int L>
bool visita(Passata<W, L> &p, int v, int i, int j, bool rigasola, bool colonnasola) {
  CuboDi<W, L> &c = p.c;
  // The row test first, then the column test (one branch for both), then
  // the box test; whichever test finds it, the placement is made in one
  // place, which lets the compiler inline it.
  int tipo = rigasola ? PASSO_RIGA : PASSO_COLONNA;
  if (!(rigasola | colonnasola)) {
    int linea = 0;
    const std::size_t da = c.tolti;
    switch (esamina(c, v, c.banda[i], c.banda[j], linea)) {
    case Esame::niente:
      return false;
    case Esame::singolo:
      tipo = PASSO_QUADRATO;
      break;
    case Esame::eliminariga:
      svuotariga(c, v, linea, senza(tutti<W>(), c.fasce[c.banda[j]]));
      annota(p, da);
      return true;
    case Esame::eliminacolonna:
      svuotacolonna(c, v, linea, senza(tutti<W>(), c.fasce[c.banda[i]]));
      annota(p, da);
      return true;
    }
  }
  piazza(p, v, i, j, tipo);
  return true;
}

// The rows of plane v that may hold candidates: those where v+1 does not
// stand yet.
template <int W, int L> RigaDi<W> aperte(const CuboDi<W, L> &c, int v) {
  return senza(c.linee, c.righecon[v + 1]);
}

// Visits plane v in row-major order; each visit sees the changes of the ones
// before it.  Only candidates are visited, and a visit that can be seen to
// change nothing is passed over: its row and column hold other candidates,
// and its box was found to give nothing and has lost no candidate since.
template <int W, int L> bool passapiano(Passata<W, L> &p, int v) {
  CuboDi<W, L> &c = p.c;
  const RigaDi<W> *righe = c.righe.data() + v * c.n;
  const RigaDi<W> *vuote = c.vuoteriga.data();
  const auto candidati = [righe, vuote](int i) { return righe[i] & vuote[i]; }; // of row i
  RigaDi<W> *quiete = c.quiete.data() + v * c.bande; // [band]: see CuboDi
  RigaDi<W> daguardare = aperte(c, v);               // rows not visited yet
  const RigaDi<W> &singole = c.colsole[v];           // columns holding one candidate
  const int *banda = c.banda.data();
  const RigaDi<W> *fasce = c.fasce.data();
  bool cambiato = false;
  for (int i = primo(daguardare); i >= 0; i = primo(daguardare)) {
    togli(daguardare, i);
    // resto: the candidates of the row not visited yet; a change re-reads it.
    RigaDi<W> resto = candidati(i);
    RigaDi<W> &quietiqui = quiete[banda[i]];
    bool unica = unico(resto);
    // The candidates worth a visit: the row's only one, else those whose box
    // is not known to give nothing or whose column holds no other.  A row
    // with none is left after one test (whether it has any is seldom
    // predictable, so better one branch than two).
    const auto davisitare = [&] {
      const RigaDi<W> altre = senza(resto, senza(quietiqui, singole));
      return unica ? resto : altre;
    };
    for (RigaDi<W> d = davisitare(); !vuota(d); d = davisitare()) {
      const int j = primo(d);
      resto = dopo(resto, j);
      if (!visita(p, v, i, j, unica, ha(singole, j))) {
        quietiqui = quietiqui | fasce[banda[j]];
        continue;
      }
      cambiato = true;
      if (p.vicolo)
        return true;
      resto = dopo(candidati(i), j);
      unica = unico(candidati(i));
    }
  }
  return cambiato;
}

} // namespace

template <int W, int L>
bool univoci(int n, CuboDi<W, L> &c, Griglia &g, std::vector<Cella> &lista, const Riga &sporchi,
             std::vector<Tolto> &eliminati, bool fermati) {
  const std::size_t inizio = lista.size();
  Passata<W, L> p{c, g, lista, {}, eliminati};
  // Cells are only filled during a pass, and a cell left without a value is
  // never filled: once the first empty cell has none, it is still the first
  // empty cell, without a value, when the pass ends.
  if (fermati) {
    p.guarda = primavuotada(c, p.fi, p.fj);
    if (p.guarda && bloccata(c, p.fi, p.fj))
      return true;
  }
  for (int v = primo(sporchi); v >= 0 && v < n; v = prossimo(sporchi, v + 1))
    metti(p.sporco, v);
  // A plane's visits read only that plane, so a plane untouched since a run
  // of its visits that changed nothing would change nothing again: skip it.
  bool giro = true;
  while (giro) {
    giro = false;
    for (int v = primo(p.sporco); v >= 0; v = prossimo(p.sporco, v + 1)) {
      togli(p.sporco, v);
      if (passapiano(p, v)) {
        if (p.vicolo)
          return true;
        giro = true;
        metti(p.sporco, v);
      }
    }
  }
  // Every plane now gives nothing, so neither does any of its boxes.
  std::fill(c.quiete.begin(), c.quiete.end(), tutti<W>());
  if (primozero == 0) {
    std::string s = "Numeri inseriti con la tecnica dello sliding (cancella): " +
                    std::to_string(lista.size() - inizio) + ".\n\nTabella aggiornata:\n\n";
    s += ecogriglia(g);
    console(s);
  }
  return false;
}

// Lines of one word up to side 64, two above; the common sides with their
// geometry fixed at compile time.
template bool univoci(int, CuboDi<1> &, Griglia &, std::vector<Cella> &, const Riga &,
                      std::vector<Tolto> &, bool);
template bool univoci(int, CuboDi<2> &, Griglia &, std::vector<Cella> &, const Riga &,
                      std::vector<Tolto> &, bool);
template bool univoci(int, CuboDi<1, 9> &, Griglia &, std::vector<Cella> &, const Riga &,
                      std::vector<Tolto> &, bool);
template bool univoci(int, CuboDi<1, 16> &, Griglia &, std::vector<Cella> &, const Riga &,
                      std::vector<Tolto> &, bool);
template bool univoci(int, CuboDi<1, 25> &, Griglia &, std::vector<Cella> &, const Riga &,
                      std::vector<Tolto> &, bool);
