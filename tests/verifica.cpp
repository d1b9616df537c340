// Independent checkers: see verifica.h.
#include "verifica.h"

namespace verifica {
namespace {

bool rifiuta(std::string *motivo, const std::string &testo) {
  if (motivo != nullptr) {
    *motivo = testo;
  }
  return false;
}

std::string cella(int r, int c) {
  return "(" + std::to_string(r) + "," + std::to_string(c) + ")";
}

// True when g is n x n.
bool quadrata(const Griglia &g, std::size_t n) {
  if (g.size() != n) {
    return false;
  }
  for (const auto &riga : g) {
    if (riga.size() != n) {
      return false;
    }
  }
  return true;
}

// Largest q with q * q <= n, by integer arithmetic only.
int latointero(int n) {
  int q = 0;
  while ((q + 1) * (q + 1) <= n) {
    ++q;
  }
  return q;
}

} // namespace

bool verificasoluzione(const Griglia &puzzle, const Griglia &soluzione, std::string *motivo) {
  const std::size_t dim = puzzle.size();
  if (dim == 0 || !quadrata(puzzle, dim)) {
    return rifiuta(motivo, "puzzle is not a non-empty square grid");
  }
  if (!quadrata(soluzione, dim)) {
    return rifiuta(motivo, "solution size differs from the puzzle size " + std::to_string(dim));
  }
  const int n = static_cast<int>(dim);
  const int q = latointero(n);

  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const int v = soluzione[r][c];
      if (v < 1 || v > n) {
        return rifiuta(motivo, "value " + std::to_string(v) + " out of range at " + cella(r, c));
      }
      if (puzzle[r][c] != 0 && puzzle[r][c] != v) {
        return rifiuta(motivo, "given " + std::to_string(puzzle[r][c]) + " changed to " +
                                   std::to_string(v) + " at " + cella(r, c));
      }
    }
  }

  // Count every value per row, per column and per box; any count above 1 is a repeat.
  const int bande = (n + q - 1) / q;
  std::vector<std::vector<int>> perriga(dim, std::vector<int>(dim + 1, 0));
  std::vector<std::vector<int>> percolonna(dim, std::vector<int>(dim + 1, 0));
  std::vector<std::vector<int>> perquadrato(static_cast<std::size_t>(bande * bande),
                                            std::vector<int>(dim + 1, 0));
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const int v = soluzione[r][c];
      const int b = (r / q) * bande + c / q;
      if (++perriga[r][v] > 1) {
        return rifiuta(motivo, "value " + std::to_string(v) + " repeated in row " +
                                   std::to_string(r) + " at " + cella(r, c));
      }
      if (++percolonna[c][v] > 1) {
        return rifiuta(motivo, "value " + std::to_string(v) + " repeated in column " +
                                   std::to_string(c) + " at " + cella(r, c));
      }
      if (++perquadrato[b][v] > 1) {
        return rifiuta(motivo,
                       "value " + std::to_string(v) + " repeated in the box of " + cella(r, c));
      }
    }
  }
  return true;
}

bool verificapercorso(const Griglia &puzzle, const Griglia &soluzione, const Griglia &passi,
                      int classifica, std::string *motivo) {
  const std::size_t dim = puzzle.size();
  if (dim == 0 || !quadrata(puzzle, dim)) {
    return rifiuta(motivo, "puzzle is not a non-empty square grid");
  }
  if (!quadrata(soluzione, dim) || !quadrata(passi, dim)) {
    return rifiuta(motivo, "solution or step grid size differs from the puzzle size");
  }
  if (classifica < 0) {
    return rifiuta(motivo, "negative step count");
  }
  const int n = static_cast<int>(dim);
  std::vector<int> usi(static_cast<std::size_t>(classifica) + 1, 0);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const int codice = passi[r][c];
      if (puzzle[r][c] != 0) {
        if (codice != 0) {
          return rifiuta(motivo,
                         "given cell " + cella(r, c) + " has step code " + std::to_string(codice));
        }
        continue;
      }
      if (soluzione[r][c] == 0) {
        return rifiuta(motivo, "empty cell " + cella(r, c) + " left unfilled");
      }
      // Codes of kind k occupy 10000 * k + 1 .. 10000 * k + 10000 (step numbers start at 1).
      if (codice < 10001 || codice > 50000) {
        return rifiuta(motivo,
                       "cell " + cella(r, c) + " has invalid step code " + std::to_string(codice));
      }
      const int tipo = (codice - 1) / 10000;
      const int passo = codice - 10000 * tipo;
      if (passo > classifica) {
        return rifiuta(motivo, "cell " + cella(r, c) + " has step " + std::to_string(passo) +
                                   " beyond the step count " + std::to_string(classifica));
      }
      if (++usi[static_cast<std::size_t>(passo)] > 1) {
        return rifiuta(motivo,
                       "step " + std::to_string(passo) + " used twice, again at " + cella(r, c));
      }
    }
  }
  for (int passo = 1; passo <= classifica; ++passo) {
    if (usi[static_cast<std::size_t>(passo)] == 0) {
      return rifiuta(motivo, "step " + std::to_string(passo) + " is not used by any cell");
    }
  }
  return true;
}

} // namespace verifica
