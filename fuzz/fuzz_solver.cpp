// Fuzz target of the search. The bytes become a small puzzle whose givens do
// not clash; the search runs in process on the program's own state, with and
// without the completion check, and what it leaves behind is checked, then
// compared with the straightforward oracle and with a plain existence test.
//
// Input: the first byte picks the side (1, 4 or 9); each following pair
// (cell, choice) fills the empty cell `cell mod N*N` with one of the values
// its row, column and box still allow, or with nothing when there is none.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/stato.h"
#include "controlli.h"
#include "esistenza.h"
#include "riferimento.h"
#include "solver/completabile.h"
#include "solver/inserisci.h"

namespace {

using controlli::coerente;
using controlli::radice;

// Sparse 9 x 9 puzzles can take the search millions of nodes, which would
// stall the fuzzer; the empty grid and grids with this many givens stay fast.
constexpr int MINIMO_DATI_NOVE = 28;

// Values that (i, j) can take next to the givens of g, in increasing order.
std::vector<int> ammessi(const Griglia &g, int i, int j) {
  const int n = static_cast<int>(g.size());
  const int q = radice(n);
  std::vector<bool> preso(n + 1, false);
  for (int k = 0; k < n; ++k)
    preso[g[i][k]] = preso[g[k][j]] = true;
  for (int r = i / q * q; r < i / q * q + q; ++r)
    for (int c = j / q * q; c < j / q * q + q; ++c)
      preso[g[r][c]] = true;
  std::vector<int> v;
  for (int x = 1; x <= n; ++x)
    if (!preso[x])
      v.push_back(x);
  return v;
}

// Fills g with the puzzle of the bytes (see the top); returns how many
// givens it holds. dim is at least 1.
int componi(const std::uint8_t *dati, std::size_t dim, Griglia &g) {
  static constexpr int lati[] = {1, 4, 9};
  const int n = lati[dati[0] % 3];
  g.assign(n, std::vector<int>(n, 0));
  int messi = 0;
  for (std::size_t p = 1; p + 1 < dim; p += 2) {
    const int cella = dati[p] % (n * n);
    const int i = cella / n, j = cella % n;
    if (g[i][j] != 0)
      continue;
    const std::vector<int> v = ammessi(g, i, j);
    if (v.empty())
      continue;
    g[i][j] = v[dati[p + 1] % v.size()];
    ++messi;
  }
  return messi;
}

// What a run of the search must leave behind, given its outcome.
void verificaesito(const Griglia &puzzle, bool risolto) {
  const int n = static_cast<int>(puzzle.size());
  VERIFICA(grandezza == n);
  VERIFICA(tabellaold == puzzle);
  if (!risolto) {
    // Every placement undone, the counters back where they started.
    VERIFICA(tabella == puzzle);
    VERIFICA(classifica == 0);
    VERIFICA(primozero == 1);
    return;
  }
  VERIFICA(coerente(tabella, n));
  std::vector<bool> usato(n * n + 1, false);
  int vuote = 0, ipotesi = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int codice = passi[i][j];
      if (puzzle[i][j] != 0) {
        VERIFICA(tabella[i][j] == puzzle[i][j]);
        VERIFICA(codice == 0);
        continue;
      }
      ++vuote;
      VERIFICA(tabella[i][j] != 0);
      // With N <= 9 a step number is below 10000, so the code splits plainly.
      const int numero = codice % 10000, tipo = codice / 10000;
      VERIFICA(tipo >= 1 && tipo <= 4);
      VERIFICA(numero >= 1 && numero <= classifica);
      VERIFICA(!usato[numero]);
      usato[numero] = true;
      ipotesi += tipo == 1;
    }
  VERIFICA(classifica == vuote);
  // The path is still open: one search level per guess on it.
  VERIFICA(primozero == 1 + ipotesi);
  VERIFICA(lavoro.nodi >= 1 + ipotesi);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dim) {
  if (dim == 0)
    return -1;
  Griglia puzzle;
  const int messi = componi(dati, dim, puzzle);
  const int n = static_cast<int>(puzzle.size());
  if (n == 9 && messi > 0 && messi < MINIMO_DATI_NOVE)
    return -1; // too slow to search, see MINIMO_DATI_NOVE
  VERIFICA(coerente(puzzle, n));

  const riferimento::Esito atteso = riferimento::risolvi(puzzle);
  VERIFICA(atteso.risolto == esistenza::completabile(puzzle));
  // Without the completion check the search is the oracle's, node for node;
  // with it, it skips subtrees but ends the same.
  for (const bool controllo : {false, true}) {
    controllocompletamento = controllo;
    preparastato(n);
    tabella = puzzle;
    tabellaold = puzzle;
    primozero = 1; // no console output
    const bool risolto = inserisci(tabella, 0, 0);
    controllocompletamento = true;
    verificaesito(puzzle, risolto);
    VERIFICA(risolto == atteso.risolto);
    VERIFICA(tabella == atteso.griglia);
    // Step codes count only on a solution's path (a failed search writes no
    // pages and may leave other codes behind).
    VERIFICA(!risolto || passi == atteso.passi);
    VERIFICA(classifica == atteso.classifica);
    VERIFICA(controllo || lavoro.nodi == atteso.nodi);
    VERIFICA(!controllo || lavoro.nodi <= atteso.nodi);
  }
  return 0;
}
