// The matching of each unit's empty cells to distinct values they can
// take, and the values no such matching gives them. For the check's own
// code only.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "solver/bitutil.h"
#include "solver/statocompletamento.h"
#include "solver/traccia.h"

// The matching of one unit's empty places to distinct values, as it is
// being found.
template <int W> struct AbbinamentoUnita {
  RigaDi<W> presi;                         // values matched
  RigaDi<W> provati;                       // values the current augmenting path has been through
  std::array<int, 64 * W> postoabbinato{}; // [value]: the place matched to it, if in presi
};

// Looks for an augmenting path from the empty cell at place p of unit u: a
// value for it, freeing it from the place it is matched to if that cell can
// move on.  m.provati holds the values already tried on this search; a
// value newly matched joins m.presi.
template <int W>
bool aumenta(const StatoCompletamento<W> &k, const std::vector<int> &u, int p,
             AbbinamentoUnita<W> &m) {
  const RigaDi<W> prove = k.possibili[u[p]];
  // A value no cell holds ends the path at once.
  const RigaDi<W> liberi = senza(prove, m.presi);
  if (!vuota(liberi)) {
    const int v = primo(liberi);
    metti(m.presi, v);
    m.postoabbinato[v] = p;
    return true;
  }
  for (int v = primo(prove); v >= 0; v = prossimo(prove, v + 1)) {
    if (ha(m.provati, v))
      continue;
    metti(m.provati, v);
    const int d = ha(m.presi, v) ? m.postoabbinato[v] : -1;
    if (d < 0 || aumenta(k, u, d, m)) {
      if (d < 0)
        metti(m.presi, v);
      m.postoabbinato[v] = p;
      return true;
    }
  }
  return false;
}

// The empty places of unit x (bit p: place p) that those in `da` reach
// within `entro`, following "a place points to the places its values are
// matched to" (postoabbinato: [value] its place) forward (avanti) or
// backward.
template <int W>
RigaDi<W> raggiunti(const StatoCompletamento<W> &k, std::size_t x, RigaDi<W> da,
                    const RigaDi<W> &entro, const std::array<int, 64 * W> &postoabbinato,
                    bool avanti) {
  const Abbinamenti<W> &m = k.abbinamenti;
  const std::vector<int> &u = k.forma.unita[x];
  RigaDi<W> visti = da, valori{};
  while (!vuota(da)) {
    RigaDi<W> nuovi{};
    if (avanti) {
      RigaDi<W> v{};
      for (int p = primo(da); p >= 0; p = prossimo(da, p + 1))
        v = v | k.possibili[u[p]];
      v = senza(v, valori);
      valori = valori | v;
      for (int w = primo(v); w >= 0; w = prossimo(v, w + 1))
        metti(nuovi, postoabbinato[w]);
    } else {
      for (int p = primo(da); p >= 0; p = prossimo(da, p + 1))
        metti(valori, m.valoretenuto[x * k.n + p]);
      const RigaDi<W> fuori = senza(entro, visti);
      for (int p = primo(fuori); p >= 0; p = prossimo(fuori, p + 1))
        if (!vuota(k.possibili[u[p]] & valori))
          metti(nuovi, p);
    }
    da = senza(nuovi & entro, visti);
    visti = visti | da;
  }
  return visti;
}

// Takes from the empty cells of unit x, whose kept matching is whole, the
// values that no matching of them all to distinct values gives them (t
// cells that share t values keep those from the others, which a matching
// alone does not see).  A cell may take a value in some matching exactly
// when it and the place matched to the value lie on one cycle of the
// graph of raggiunti; its parts are found one by one, each as what its
// first place reaches both ways.  A unit with more than
// opzioni.potaturafino missing values of two places or more is left as it
// is.  False when a cell is left without a value.
template <int W>
bool pota(StatoCompletamento<W> &k, std::size_t x, std::array<int, 64 * W> &postoabbinato) {
  Abbinamenti<W> &m = k.abbinamenti;
  m.dapotare[x] = 0;
  int mancanti = 0; // missing values with two places or more
  for (int v = 0; v < k.n; ++v)
    mancanti += k.quanti[x * k.n + v] >= 2;
  if (mancanti > k.opzioni.potaturafino)
    return true;
  const std::vector<int> &u = k.forma.unita[x];
  const int *const ultimo = &m.valoretenuto[x * k.n];
  const RigaDi<W> vuote = m.vuote[x];
  perognibit(vuote, [&](int p) { postoabbinato[ultimo[p]] = p; });
  RigaDi<W> resto = vuote;
  while (!vuota(resto)) {
    RigaDi<W> da{};
    metti(da, primo(resto));
    const RigaDi<W> parte = raggiunti(k, x, da, resto, postoabbinato, true) &
                            raggiunti(k, x, da, resto, postoabbinato, false);
    if (vuota(senza(vuote, parte)))
      return true; // a single part: every value may go where it stands
    resto = senza(resto, parte);
    RigaDi<W> suoi{};
    for (int p = primo(parte); p >= 0; p = prossimo(parte, p + 1))
      metti(suoi, ultimo[p]);
    for (int p = primo(parte); p >= 0; p = prossimo(parte, p + 1))
      if (const RigaDi<W> via = senza(k.possibili[u[p]], suoi);
          !vuota(via) && !restringi(k, u[p], via))
        return false;
  }
  return true;
}

// Whether the empty cells of every line can take distinct values each: a
// completion gives them such values, so a unit whose cells cannot all be
// matched to distinct values of theirs has none (for example three cells
// sharing two values, which singles miss).
// Each unit keeps the matching it last found, and a filled cell the value
// it was given (fissa).  Only a unit whose matching a change has broken
// matches again (daabbinare: a cell lost its matched value, or took
// another): it starts from what is left of its last matching, then gives
// each cell left out a free value if it has one, else an augmenting path.
// Undoing keeps a kept matching whole: the cells get back values, and
// those emptied take back the values they held, which the others lacked.
// Rows and columns, and from side opzioni.latoscatoleabbinate on boxes too
// (k.abbinamenti.quante units in all).  Off for sides that are not squares:
// there the failures come from the box rule, and on their empty grids it
// removed no branch.
template <int W> bool abbinabili(StatoCompletamento<W> &k, bool potando = false) {
  Abbinamenti<W> &m = k.abbinamenti;
  if (!k.forma.quadrata)
    return true;
  AbbinamentoUnita<W> a;
  for (std::size_t x = 0; x < static_cast<std::size_t>(m.quante); ++x) {
    if (!m.daabbinare[x]) {
      if (potando && m.dapotare[x] && !pota(k, x, a.postoabbinato))
        return false;
      continue;
    }
    const std::vector<int> &u = k.forma.unita[x];
    int *const ultimo = &m.valoretenuto[x * k.n]; // [place in the unit]: its last value
    a.presi = RigaDi<W>{};
    RigaDi<W> senzavalore{}; // places what is left of the kept matching leaves out
    perognibit(m.vuote[x], [&](int p) {
      const int h = ultimo[p];
      if (h >= 0 && ha(k.possibili[u[p]], h) && !ha(a.presi, h)) {
        a.postoabbinato[h] = p;
        metti(a.presi, h);
      } else {
        metti(senzavalore, p);
      }
    });
    for (int p = primo(senzavalore); p >= 0; p = prossimo(senzavalore, p + 1)) {
      a.provati = RigaDi<W>{};
      if (!aumenta(k, u, p, a))
        return false;
    }
    for (int v = primo(a.presi); v >= 0; v = prossimo(a.presi, v + 1))
      ultimo[a.postoabbinato[v]] = v;
    m.daabbinare[x] = 0;
    if (potando && !pota(k, x, a.postoabbinato))
      return false;
  }
  return true;
}
