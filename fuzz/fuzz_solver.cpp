// Fuzz target of the search. The bytes become a small puzzle whose givens do
// not clash; the search runs in process on the program's own state, and what
// it leaves behind is checked, then compared with the straightforward oracle
// and with a plain existence test.
//
// Input: the first byte picks the side (1, 4 or 9); each following pair
// (cell, choice) fills the empty cell `cell mod N*N` with one of the values
// its row, column and box still allow, or with nothing when there is none.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/stato.h"
#include "riferimento.h"
#include "solver/inserisci.h"
#include "verifica.h"

namespace {

// Sparse 9 x 9 puzzles can take the search millions of nodes, which would
// stall the fuzzer; the empty grid and grids with this many givens stay fast.
constexpr int MINIMO_DATI_NOVE = 28;

// Values that (i, j) can take next to the givens of g, in increasing order
// (sides 1, 4 and 9: a box holds n cells).
std::vector<int> ammessi(const Griglia &g, int i, int j) {
  const int n = static_cast<int>(g.size()), q = verifica::lato(n);
  std::vector<bool> preso(n + 1);
  for (int k = 0; k < n; ++k)
    preso[g[i][k]] = preso[g[k][j]] = preso[g[i / q * q + k / q][j / q * q + k % q]] = true;
  std::vector<int> v;
  for (int x = 1; x <= n; ++x)
    if (!preso[x])
      v.push_back(x);
  return v;
}

// Whether g can be completed: plain backtracking, always on the empty cell
// with the fewest values.
bool completabile(Griglia &g) {
  const int n = static_cast<int>(g.size());
  int i = -1, j = -1;
  std::vector<int> valori;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      if (g[r][c] == 0) {
        std::vector<int> v = ammessi(g, r, c);
        if (i < 0 || v.size() < valori.size())
          i = r, j = c, valori = std::move(v);
      }
  if (i < 0)
    return true;
  bool fatto = false;
  for (std::size_t k = 0; k < valori.size() && !fatto; ++k) {
    g[i][j] = valori[k];
    fatto = completabile(g);
  }
  g[i][j] = 0;
  return fatto;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dim) {
  if (dim == 0)
    return -1;
  static constexpr int lati[] = {1, 4, 9};
  const int n = lati[dati[0] % 3];
  Griglia puzzle(n, std::vector<int>(n, 0));
  int messi = 0;
  for (std::size_t p = 1; p + 1 < dim; p += 2) {
    const int i = dati[p] % (n * n) / n, j = dati[p] % n;
    const std::vector<int> v = puzzle[i][j] == 0 ? ammessi(puzzle, i, j) : std::vector<int>{};
    if (!v.empty()) {
      puzzle[i][j] = v[dati[p + 1] % v.size()];
      ++messi;
    }
  }
  if (n == 9 && messi > 0 && messi < MINIMO_DATI_NOVE)
    return -1; // too slow to search, see MINIMO_DATI_NOVE

  preparastato(n);
  tabella = tabellaold = puzzle;
  primozero = 1; // no console output
  const bool risolto = inserisci(tabella, 0, 0);
  VERIFICA(grandezza == n && tabellaold == puzzle);
  // A solution is valid and keeps the givens; a failed search undoes every
  // placement and takes the counters back where they started.
  VERIFICA(risolto ? verifica::griglia(puzzle, tabella, true).empty()
                   : tabella == puzzle && classifica == 0 && primozero == 1);
  Griglia prova = puzzle;
  VERIFICA(risolto == completabile(prova));

  const riferimento::Esito atteso = riferimento::risolvi(puzzle);
  VERIFICA(risolto == atteso.risolto && tabella == atteso.griglia);
  // Step codes count only on a solution's path (a failed search writes no
  // pages and may leave other codes behind).
  VERIFICA(!risolto || passi == atteso.passi);
  VERIFICA(classifica == atteso.classifica);
  VERIFICA(lavoro.nodi == atteso.nodi); // the same search tree
  return 0;
}
