// The candidate cube: for every value and cell, whether the value may still
// be placed there.  Kept as bit planes, one per value: each plane has a
// line of bits per row (its columns) and one per column (its rows), in
// step with each other, and each cell has a line of its values beside
// them; a line is W 64-bit words (1 up to side 64, else 2).  It is built
// from the grid once; after that every removal is logged, so that the
// search can take the cube back to an earlier state by putting the logged
// candidates back.
//
// A filled cell keeps in the lines the bits it had when it was filled: the
// candidates of a row or column are its line masked with the empty cells
// of the line (riga, colonna), and nothing writes a filled cell's bits.  So
// filling a cell costs no removal for its other values, and emptying it
// again brings them back at once.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "app/geometria.h"
#include "app/stato.h"
#include "solver/bitutil.h"

// A candidate (value v+1 at (i, j)) taken out of the cube.  Four bytes
// apart, so that an entry is read and written as one word.
struct alignas(4) Tolto {
  std::uint8_t v, i, j;
};

// The geometry of a cube.  A side L > 0 is fixed at compile time: the
// common sides get code of their own, with constant strides and loop
// bounds and tables in place.  L = 0 serves any side, set by inizializza,
// with tables sized then.
template <int L> struct Lati {
  static constexpr int n = L;                     // grid side
  static constexpr int q = Quadrati(L).q;         // box side
  static constexpr int bande = Quadrati(L).bande; // boxes along a side: n / q
};
template <> struct Lati<0> {
  int n = 0;
  int q = 1;
  int bande = 1;
};

// A table of K entries (K is read only when the side L is fixed).
template <class T, int L, int K>
using Tavola = std::conditional_t<L == 0, std::vector<T>, std::array<T, K>>;

template <int W, int L = 0> struct CuboDi : Lati<L> {
  using R = RigaDi<W>;
  static constexpr int B = L == 0 ? 0 : Quadrati(L).bande; // bands, for the sizes
  R linee;                     // bits [0, n): every row (or column, or value)
  Tavola<R, L, L * L> righe;   // [v*n + i]: columns of row i where value v+1 is a
                               // candidate, among the empty cells (vuoteriga[i])
  Tavola<R, L, L * L> colonne; // [v*n + j]: rows of column j where value v+1 is a
                               // candidate, among the empty cells (vuotecolonna[j])
  Tavola<R, L, B> fasce;       // [b]: lines b*q to b*q + q - 1, the rows of band b of
                               // boxes and the columns of stack b alike
  Tavola<int, L, L> banda;     // [k], k in [0,n): k / q, the band (or stack) of line k
  Tavola<R, L, L * L> valori;  // [i*n + j]: values of empty (i, j) still candidates
                               // (bit v: v+1); a filled cell keeps those it had
  std::vector<Tolto> storia;   // [0, tolti): every candidate removed since
                               // inizializza, oldest first; the rest is room to grow
  std::size_t tolti = 0;       // length of the log
  Tavola<R, L, L * B> quiete;  // [v*bande + b]: columns of the boxes of band b found to
                               // give nothing to the box test and the elimination of
                               // value v+1, unless the box has lost a candidate since
  Tavola<R, L, L> colsole;     // [v]: the columns holding exactly one candidate of v+1

  // The record: where each value stands in the grid the cube follows.
  Tavola<R, L, L> vuoteriga;                 // [i]: columns of row i whose cell is empty
  Tavola<R, L, L> vuotecolonna;              // [j]: rows of column j whose cell is empty
  Tavola<R, L, L + 1> righecon, colonnecon;  // [v], v in 0..n: rows / columns holding value v
  Tavola<R, L, B *(L + 1)> bloccocol;        // [band*(n+1) + v]: columns covered by the boxes
                                             // of that band holding value v
  Tavola<R, L, L> valoririga, valoricolonna; // [i], [j]: values in row i / column j (bit v-1: v)
  Tavola<R, L, B * B> valoriquadrato;        // [band*bande + stack]: values in that box
};

// The candidates of value v+1 in row i, and in column j.
template <int W, int L> inline RigaDi<W> riga(const CuboDi<W, L> &c, int v, int i) {
  return c.righe[v * c.n + i] & c.vuoteriga[i];
}
template <int W, int L> inline RigaDi<W> colonna(const CuboDi<W, L> &c, int v, int j) {
  return c.colonne[v * c.n + j] & c.vuotecolonna[j];
}

template <int W, int L> inline bool candidato(const CuboDi<W, L> &c, int v, int i, int j) {
  return ha(riga(c, v, i), j);
}

// Builds the cube of grid g (side n) into c, reusing its storage.
// On return: value v+1 is a candidate at (i, j) exactly when the cell is
// empty and v+1 stands neither in row i, nor in column j, nor in its box.
template <int W, int L> void inizializza(int n, const Griglia &g, CuboDi<W, L> &c);

// The box of cell (i, j), numbered as Quadrati::quadratodi does, from the
// band table: no division.
template <int W, int L> inline int quadrato(const CuboDi<W, L> &c, int i, int j) {
  return c.banda[i] * c.bande + c.banda[j];
}

// The cube also keeps a record of where each value stands in the grid it
// was built from.  Whoever then writes a cell of that grid tells the record:
// segna when an empty cell gets value v (1..n), libera when a cell holding v
// is emptied; the grid must hold no value twice in a row, column or box.
template <int W, int L> inline void segna(CuboDi<W, L> &c, int i, int j, int v) {
  togli(c.vuoteriga[i], j);
  togli(c.vuotecolonna[j], i);
  metti(c.righecon[v], i);
  metti(c.colonnecon[v], j);
  RigaDi<W> &blocco = c.bloccocol[c.banda[i] * (c.n + 1) + v];
  blocco = blocco | c.fasce[c.banda[j]];
  // v = 0 (an empty cell, from inizializza) adds nothing.
  aggiungivalore(c.valoririga[i], v);
  aggiungivalore(c.valoricolonna[j], v);
  aggiungivalore(c.valoriquadrato[quadrato(c, i, j)], v);
}

template <int W, int L> inline void libera(CuboDi<W, L> &c, int i, int j, int v) {
  metti(c.vuoteriga[i], j);
  metti(c.vuotecolonna[j], i);
  // v stood only here in its row, its column and its box.
  togli(c.righecon[v], i);
  togli(c.colonnecon[v], j);
  RigaDi<W> &blocco = c.bloccocol[c.banda[i] * (c.n + 1) + v];
  blocco = senza(blocco, c.fasce[c.banda[j]]);
  togli(c.valoririga[i], v - 1);
  togli(c.valoricolonna[j], v - 1);
  togli(c.valoriquadrato[quadrato(c, i, j)], v - 1);
}

// Moves (i, j) to the first empty cell at or after it in row-major order,
// as the record has it; false when there is none.
template <int W, int L> inline bool primavuotada(const CuboDi<W, L> &c, int &i, int &j) {
  for (; i < c.n; ++i, j = 0) {
    const int k = prossimo(c.vuoteriga[i], j);
    if (k >= 0) {
      j = k;
      return true;
    }
  }
  return false;
}

// True when the grid the record follows leaves no value for cell (i, j):
// every value stands in its row, its column or its box.
template <int W, int L> inline bool bloccata(const CuboDi<W, L> &c, int i, int j) {
  return vuota(
      senza(c.linee, c.valoririga[i] | c.valoricolonna[j] | c.valoriquadrato[quadrato(c, i, j)]));
}

// Empties cell (i, j) of grid g, which the cube follows: of the grid and of
// the record.  A cell filled by occupa has the candidates it had then back
// at once; the notes (colsole, quiete) are left to the caller.
template <int W, int L> inline void svuotacella(Griglia &g, CuboDi<W, L> &c, int i, int j) {
  if (g[i][j] != 0)
    libera(c, i, j, g[i][j]);
  g[i][j] = 0;
}

// Makes room in the log (kept out of line: it is rarely needed).
template <int W, int L> [[gnu::noinline]] void allunga(CuboDi<W, L> &c) {
  c.storia.resize(2 * c.storia.size() + 1024);
}

// Brings bit j of colsole[v] in line with column j of plane v.
template <int W, int L> inline void riconta(CuboDi<W, L> &c, int v, int j) {
  scrivibit(c.colsole[v], j, unico(colonna(c, v, j)));
}

// Logs the removal of value v+1 at (i, j), already cleared from its row and
// column words, clears it from the cell, recounts its column and drops the
// verdict on its box.
template <int W, int L> inline void registra(CuboDi<W, L> &c, int v, int i, int j) {
  togli(c.valori[i * c.n + j], v);
  riconta(c, v, j);
  RigaDi<W> &quiete = c.quiete[v * c.bande + c.banda[i]];
  quiete = senza(quiete, c.fasce[c.banda[j]]);
  if (c.tolti == c.storia.size()) [[unlikely]]
    allunga(c);
  c.storia[c.tolti++] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(i),
                         static_cast<std::uint8_t>(j)};
}

// Removes value v+1 from the cells of line k in maschera, logging each
// candidate removed; false when none was one.  The line is row k when
// PERRIGA, else column k (maschera is then a set of rows).
template <bool PERRIGA, int W, int L>
inline bool svuotalinea(CuboDi<W, L> &c, int v, int k, const RigaDi<W> &maschera) {
  RigaDi<W> *linee = (PERRIGA ? c.righe : c.colonne).data() + v * c.n;
  RigaDi<W> *incrociate = (PERRIGA ? c.colonne : c.righe).data() + v * c.n;
  RigaDi<W> via = linee[k] & maschera & (PERRIGA ? c.vuoteriga : c.vuotecolonna)[k];
  if (vuota(via))
    return false;
  linee[k] = senza(linee[k], via);
  for (int x = primo(via); x >= 0; x = primo(via)) {
    togli(via, x);
    togli(incrociate[x], k);
    if (PERRIGA)
      registra(c, v, k, x);
    else
      registra(c, v, x, k);
  }
  return true;
}
template <int W, int L>
inline bool svuotariga(CuboDi<W, L> &c, int v, int i, const RigaDi<W> &maschera) {
  return svuotalinea<true>(c, v, i, maschera);
}
template <int W, int L>
inline bool svuotacolonna(CuboDi<W, L> &c, int v, int j, const RigaDi<W> &maschera) {
  return svuotalinea<false>(c, v, j, maschera);
}

// Removes from c what value v+1 at (i, j) rules out, the cell being already
// marked filled in the record (segna): every value of the cell, which its
// words keep (see above), and v+1 from the row, the column and the box, all
// logged.  Returns the values the cell could still take: the planes that
// lost it.
// The hottest path of the search, so written out with every table in a
// local pointer and the log filled through a pointer of its own, and
// inlined where it is called (a call and the re-reads around it cost more
// than its code); what it does per candidate is what registra does.
// The other values empty cell (i, j) could take, whose column no longer
// counts it once it holds v+1: the column's single-place notes and the
// box's verdicts (pila: the columns of its box) are redone.  Returns every
// value the cell could take, v+1 too.
template <int W, int L>
[[gnu::always_inline]] inline RigaDi<W> lasciavalori(CuboDi<W, L> &c, int v, int i, int j,
                                                     const RigaDi<W> &pila) {
  const int n = c.n, bande = c.bande, bi = c.banda[i];
  const RigaDi<W> toccati = c.valori[i * n + j];
  RigaDi<W> resto = toccati;
  togli(resto, v);
  for (int m = primo(resto); m >= 0; m = primo(resto)) {
    togli(resto, m);
    scrivibit(c.colsole[m], j, unico(c.colonne[m * n + j] & c.vuotecolonna[j]));
    c.quiete[m * bande + bi] = senza(c.quiete[m * bande + bi], pila);
  }
  return toccati;
}

template <int W, int L>
[[gnu::always_inline]] inline RigaDi<W> occupa(CuboDi<W, L> &c, int v, int i, int j) {
  using R = RigaDi<W>;
  const int n = c.n, q = c.q, bande = c.bande, bi = c.banda[i];
  // At most n candidates of v+1 go from each of its three units.
  if (c.storia.size() - c.tolti < std::size_t(3 * n))
    allunga(c);
  Tolto *log = c.storia.data() + c.tolti;
  const auto annota = [&log](int v, int i, int j) {
    *log++ = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(i),
              static_cast<std::uint8_t>(j)};
  };
  R *righe = c.righe.data(), *colonne = c.colonne.data();
  R *valori = c.valori.data(), *quiete = c.quiete.data(), *sole = c.colsole.data();
  const int *banda = c.banda.data();
  const R *fasce = c.fasce.data();
  const R *vuoteriga = c.vuoteriga.data(), *vuotecolonna = c.vuotecolonna.data();
  const R pila = fasce[banda[j]]; // the columns of the cell's box
  // v+1 itself is dealt with below, with its units.
  const R toccati = lasciavalori(c, v, i, j, pila);
  R resto;
  // v+1 from the other cells of row i, column j and the box: plane v only.
  R *pr = righe + v * n, *pc = colonne + v * n, *qv = quiete + v * bande;
  // Takes v+1 from the cells of row r (of the cell's band) in via: their
  // columns are recounted and their boxes' verdicts dropped.
  const auto svuotarigainbanda = [&](int r, R via) {
    pr[r] = senza(pr[r], via);
    for (int k = primo(via); k >= 0; k = primo(via)) {
      togli(via, k);
      togli(pc[k], r);
      scrivibit(sole[v], k, unico(pc[k] & vuotecolonna[k]));
      togli(valori[r * n + k], v);
      qv[bi] = senza(qv[bi], fasce[banda[k]]);
      annota(v, r, k);
    }
  };
  svuotarigainbanda(i, pr[i] & vuoteriga[i]);
  resto = pc[j] & vuotecolonna[j];
  pc[j] = senza(pc[j], resto);
  togli(sole[v], j);
  for (int k = primo(resto); k >= 0; k = primo(resto)) {
    togli(resto, k);
    togli(pr[k], j);
    togli(valori[k * n + j], v);
    qv[banda[k]] = senza(qv[banda[k]], pila);
    annota(v, k, j);
  }
  // The rest of the box: its other rows, seldom holding any.
  for (int r = bi * q, fine = r + q; r < fine; ++r) {
    resto = pr[r] & pila & vuoteriga[r];
    if (!vuota(resto))
      svuotarigainbanda(r, resto);
  }
  qv[bi] = senza(qv[bi], pila);
  c.tolti = static_cast<std::size_t>(log - c.storia.data());
  return toccati;
}

// Puts a removed candidate back, without logging it.
template <int W, int L> inline void rimetti(CuboDi<W, L> &c, const Tolto &t) {
  metti(c.righe[t.v * c.n + t.i], t.j);
  metti(c.colonne[t.v * c.n + t.j], t.i);
  metti(c.valori[t.i * c.n + t.j], t.v);
}

// After value v+1 at (i, j) has been put back, drops the verdicts it may
// have changed: a box looks at its own rows and columns beyond it, so those
// of every box of band i and of stack j.
template <int W, int L> inline void riapri(CuboDi<W, L> &c, const Tolto &t) {
  RigaDi<W> *quiete = c.quiete.data() + t.v * c.bande;
  quiete[c.banda[t.i]] = RigaDi<W>{};
  for (int b = 0; b < c.bande; ++b)
    quiete[b] = senza(quiete[b], c.fasce[c.banda[t.j]]);
}

// Undoes every removal logged after the first `marca` entries of the log;
// the cells filled since must be emptied too (svuotacella), before or after.
// Candidates put back in between by rimetti may be set again: no harm.
template <int W, int L> inline void ripristina(CuboDi<W, L> &c, std::size_t marca) {
  for (std::size_t k = marca; k < c.tolti; ++k)
    rimetti(c, c.storia[k]);
  c.tolti = marca;
}

// Rebuilds the notes kept beside the candidates, which the log does not
// bring back, once it has taken the cube back: the single columns are
// counted again from the planes, and the box verdicts dropped (a verdict
// only spares a pass visits that would change nothing, so a pass without
// them does the same, with more visits).  A copy of the notes per node of
// the path, taken back instead, would hold n * (n / q + 1) lines a node: on
// large grids its memory and page faults cost more than rebuilding costs
// on small ones.
template <int W, int L> void rifainote(CuboDi<W, L> &c) {
  std::fill(c.quiete.begin(), c.quiete.end(), RigaDi<W>{});
  for (int v = 0; v < c.n; ++v)
    for (int j = 0; j < c.n; ++j)
      riconta(c, v, j);
}

// True when grid g, which the record follows, rules out value v+1 at (i, j):
// the cell is filled, or v+1 stands in its row, its column or its box.
template <int W, int L>
inline bool escluso(const CuboDi<W, L> &c, const Griglia &g, const Tolto &t) {
  const int v = t.v + 1;
  return g[t.i][t.j] != 0 || ha(c.righecon[v], t.i) || ha(c.colonnecon[v], t.j) ||
         ha(c.bloccocol[c.banda[t.i] * (c.n + 1) + v], t.j);
}

// After a deduction pass over grid g, puts back the candidates its
// eliminations removed (eliminati) and its placements do not rule out, with
// their box verdicts dropped: the candidates become those inizializza would
// build from g.  Returns the planes (values) that got any back.
template <int W, int L>
Riga restituisci(CuboDi<W, L> &c, const Griglia &g, const std::vector<Tolto> &eliminati) {
  Riga piani;
  for (const Tolto &t : eliminati)
    if (!escluso(c, g, t)) {
      rimetti(c, t);
      riconta(c, t.v, t.j);
      riapri(c, t);
      metti(piani, t.v);
    }
  return piani;
}
