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
#include "modi.h"
#include "oracolo_completamento.h"
#include "oracolo_ricerca.h"
#include "solver/completamento.h"
#include "solver/ricerca.h"
#include "verifica.h"

namespace {

// Sparse 9 x 9 puzzles can take the search millions of nodes, which would
// stall the fuzzer; the empty grid and grids with this many givens stay fast.
constexpr int MINIMO_DATI_NOVE = 28;

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
    const std::vector<int> v =
        puzzle[i][j] == 0 ? verifica::ammessi(puzzle, i, j) : std::vector<int>{};
    if (!v.empty()) {
      puzzle[i][j] = v[dati[p + 1] % v.size()];
      ++messi;
    }
  }
  if (n == 9 && messi > 0 && messi < MINIMO_DATI_NOVE)
    return -1; // too slow to search, see MINIMO_DATI_NOVE

  const oracolo::Esito atteso = oracolo::risolvi(puzzle);
  VERIFICA(atteso.risolto == oracolo::completabile(puzzle));
  // Without the completion check the search is the oracle's, node for node;
  // with it (see modi.h), it skips subtrees but ends the same.
  for (int m = 0; m < MODI; ++m) {
    const Opzioni opzioni = modo(m);
    preparastato(n);
    tabella = tabellaold = puzzle;
    primozero = 1; // no console output
    const EsitoRicerca esito = inserisci(tabella, 0, 0, opzioni);
    const bool risolto = esito.risolto;
    VERIFICA(grandezza == n && tabellaold == puzzle);
    // A solution is valid and keeps the givens; a failed search undoes every
    // placement and takes the counters back where they started.
    VERIFICA(risolto ? verifica::griglia(puzzle, tabella, true).empty()
                     : tabella == puzzle && classifica == 0 && primozero == 1);
    VERIFICA(risolto == atteso.risolto && tabella == atteso.griglia);
    // Step codes count only on a solution's path (a failed search writes no
    // pages and may leave other codes behind).
    VERIFICA(!risolto || passi == atteso.passi);
    VERIFICA(classifica == atteso.classifica);
    VERIFICA(opzioni.controllo ? esito.lavoro.nodi <= atteso.nodi
                               : esito.lavoro.nodi == atteso.nodi);
  }
  return 0;
}
