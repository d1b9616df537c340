// Carving of puzzles with one solution: see unica.h.
#include "unica.h"

#include <array>
#include <bit>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace unica {
namespace {

using Maschera = std::uint64_t; // values as bits: bit v - 1 for v

// A partly filled grid: each cell's value and each unit's values.
struct Griglia {
  std::vector<int> valore;  // [cell]: 0 empty, else the value
  std::vector<Maschera> in; // [unit]: the values it holds (rows, then columns, then boxes)
};

// Propagation on grids of side n = q * q: whether it finds that a grid has
// no completion leaving one cell without one of its values.
class Propagazione {
public:
  Propagazione(int n, int q)
      : n(n), tutti(n == 64 ? ~Maschera{0} : (Maschera{1} << n) - 1),
        unitadi(static_cast<std::size_t>(n * n)), unita(static_cast<std::size_t>(3 * n)) {
    for (int c = 0; c < n * n; ++c) {
      const int i = c / n, j = c % n;
      unitadi[c] = {i, n + j, 2 * n + i / q * q + j / q};
      for (int u : unitadi[c])
        unita[static_cast<std::size_t>(u)].push_back(c);
    }
  }

  // True when propagation proves that g has no completion giving cell c
  // another value than v; false when it cannot tell.
  bool solo(const generatore::Griglia &g, int c, int v) {
    vietata = c;
    vietato = Maschera{1} << (v - 1);
    Griglia s = leggi(g);
    return !propaga(s);
  }

private:
  Griglia leggi(const generatore::Griglia &g) const {
    Griglia s{std::vector<int>(static_cast<std::size_t>(n * n), 0),
              std::vector<Maschera>(unita.size(), 0)};
    for (int c = 0; c < n * n; ++c)
      if (g[c / n][c % n] != 0)
        piazza(s, c, g[c / n][c % n]);
    return s;
  }

  void piazza(Griglia &s, int c, int v) const {
    s.valore[c] = v;
    for (int u : unitadi[c])
      s.in[u] |= Maschera{1} << (v - 1);
  }

  Maschera possibili(const Griglia &s, int c) const {
    Maschera via = c == vietata ? vietato : 0;
    for (int u : unitadi[c])
      via |= s.in[u];
    return tutti & ~via;
  }

  // Fills the cells with one value left and the values with one place left
  // in a unit, until none is left; false on a cell or a unit's value with
  // no place at all.
  bool propaga(Griglia &s) const {
    for (bool cambiato = true; cambiato;) {
      cambiato = false;
      for (int c = 0; c < n * n; ++c) {
        const Maschera m = s.valore[c] == 0 ? possibili(s, c) : 1;
        if (m == 0)
          return false;
        if (s.valore[c] == 0 && std::has_single_bit(m)) {
          piazza(s, c, std::countr_zero(m) + 1);
          cambiato = true;
        }
      }
      for (const std::vector<int> &u : unita) {
        bool riuscito = true;
        cambiato = soli(s, u, riuscito) || cambiato;
        if (!riuscito)
          return false;
      }
    }
    return true;
  }

  // Places the values of unit u with one place left; whether it placed
  // any.  riuscito false: a value has none, or a cell is left two.
  bool soli(Griglia &s, const std::vector<int> &u, bool &riuscito) const {
    Maschera presenti = 0, almenouno = 0, piudiuno = 0;
    for (int c : u) {
      const Maschera m = s.valore[c] != 0 ? 0 : possibili(s, c);
      presenti |= s.valore[c] != 0 ? Maschera{1} << (s.valore[c] - 1) : 0;
      piudiuno |= almenouno & m;
      almenouno |= m;
    }
    riuscito = (presenti | almenouno) == tutti;
    const Maschera unici = almenouno & ~piudiuno & ~presenti;
    for (int c : u) {
      const Maschera m = s.valore[c] != 0 ? 0 : possibili(s, c) & unici;
      riuscito = riuscito && std::popcount(m) <= 1;
      if (riuscito && m != 0)
        piazza(s, c, std::countr_zero(m) + 1);
    }
    return unici != 0;
  }

  int n;
  Maschera tutti;                          // the values 1..n
  std::vector<std::array<int, 3>> unitadi; // [cell]: its row, column and box
  std::vector<std::vector<int>> unita;     // [unit]: its cells
  int vietata = -1;                        // the cell kept off ...
  Maschera vietato = 0;                    // ... this value
};

} // namespace

generatore::Griglia scava(const generatore::Griglia &soluzione, int date, std::uint32_t seme) {
  const int n = static_cast<int>(soluzione.size());
  int q = 1;
  while ((q + 1) * (q + 1) <= n)
    ++q;
  if (n < 1 || n > 64 || q * q != n)
    throw std::invalid_argument("side not a square up to 64");
  generatore::Griglia g = soluzione;
  Propagazione p(n, q);
  int rimaste = n * n;
  for (const int c : generatore::permutazione(n * n, seme)) {
    if (rimaste <= date)
      break;
    const int v = g[c / n][c % n];
    g[c / n][c % n] = 0;
    if (p.solo(g, c, v))
      --rimaste;
    else
      g[c / n][c % n] = v;
  }
  return g;
}

} // namespace unica
