// Reference solver: see oracolo_ricerca.h. Every routine below follows the order of operations of
// the program one step at a time; nothing is cached or carried over between search nodes.
#include "oracolo_ricerca.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace oracolo {
namespace {

// Candidate cube indexed [value - 1][row][column]; 1 = the value may still go in the cell.
using Cubo = std::vector<std::vector<std::vector<int>>>;

// Appends printf-style formatted text to a string.
void scrivi(std::string &out, const char *formato, ...) {
  std::va_list argomenti;
  va_start(argomenti, formato);
  std::va_list copia;
  va_copy(copia, argomenti);
  const int lunghezza = std::vsnprintf(nullptr, 0, formato, copia);
  va_end(copia);
  std::vector<char> buffer(static_cast<std::size_t>(lunghezza) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), formato, argomenti);
  va_end(argomenti);
  out.append(buffer.data(), static_cast<std::size_t>(lunghezza));
}

// Box side: integer part of the square root, computed in double precision.
int latoquadrato(int n) {
  return static_cast<int>(std::sqrt(static_cast<double>(n)));
}

// Box bounds of cell (i, j), found by stepping to the neighbouring multiples of q.
void limiti(int i, int j, int quad, int &minriga, int &maxriga, int &mincol, int &maxcol) {
  minriga = i;
  while (minriga % quad != 0) {
    minriga--;
  }
  maxriga = i + 1;
  while (maxriga % quad != 0) {
    maxriga++;
  }
  mincol = j;
  while (mincol % quad != 0) {
    mincol--;
  }
  maxcol = j + 1;
  while (maxcol % quad != 0) {
    maxcol++;
  }
}

// Console echo of a grid: "%2d " per cell, a line feed per row, one more at the end.
void stampagriglia(std::string &out, const Griglia &griglia) {
  for (const auto &riga : griglia) {
    for (int valore : riga) {
      scrivi(out, "%2d ", valore);
    }
    out += "\n";
  }
  out += "\n";
}

void controlla(const Griglia &griglia) {
  const int n = static_cast<int>(griglia.size());
  if (n < 1 || n > 100) {
    throw std::invalid_argument("grid side must be between 1 and 100");
  }
  if (n % latoquadrato(n) != 0) {
    throw std::invalid_argument("box side does not divide the grid side");
  }
  for (const auto &riga : griglia) {
    if (static_cast<int>(riga.size()) != n) {
      throw std::invalid_argument("grid is not square");
    }
    for (int valore : riga) {
      if (valore < 0 || valore > n) {
        throw std::invalid_argument("cell value out of range");
      }
    }
  }
}

// State of one solving run (what the program keeps in process-wide variables).
struct Stato {
  int grandezza = 0;
  Griglia tabella;
  Griglia passi;
  int classifica = 0;
  int primozero = 0;
  long long nodi = 0;
  std::string trascrizione;
  bool finito = false;
  Griglia soluzione;
  Griglia passisoluzione;
  int classificasoluzione = 0;
};

// One deduction pass over the cube; places values in the grid, codes them, lists them in canc.
void univocipassaggio(int n, Cubo &ntab, Griglia &griglia, std::vector<std::pair<int, int>> &canc,
                      Stato &s) {
  int giro = 1;
  int inseriti = 0;
  const int quad = latoquadrato(n);
  int minriga = 0;
  int maxriga = 0;
  int mincol = 0;
  int maxcol = 0;
  int rrr = 0;

  // Whether (i, j) is the only cell of rows [r0, r1) and columns [c0, c1) whose cube entry for v
  // is set: the row, column and box tests each ask it of their unit.
  auto solo = [&](int v, int i, int j, int r0, int r1, int c0, int c1) {
    for (int r = r0; r < r1; r++) {
      for (int c = c0; c < c1; c++) {
        if ((r != i || c != j) && ntab[v][r][c] == 1) {
          return false;
        }
      }
    }
    return true;
  };

  // Places v + 1 at (i, j) once the test of one unit found it unique there. The step code is
  // that test's base (20000 row, 30000 column, 40000 box); v is then cleared from the two units
  // the test did not examine, row before column before box. Box bounds are those of (i, j).
  auto piazza = [&](int base, int v, int i, int j) {
    giro++;
    for (int w = 0; w < n; w++) {
      ntab[w][i][j] = 0;
    }
    griglia[i][j] = v + 1;
    s.classifica++;
    s.passi[i][j] = s.classifica + base;
    canc.push_back({i, j});
    inseriti++;
    if (base != 20000) {
      for (int k = 0; k < n; k++) {
        ntab[v][i][k] = 0;
      }
    }
    if (base != 30000) {
      for (int k = 0; k < n; k++) {
        ntab[v][k][j] = 0;
      }
    }
    if (base != 40000) {
      for (int r = minriga; r < maxriga; r++) {
        for (int c = mincol; c < maxcol; c++) {
          ntab[v][r][c] = 0;
        }
      }
    }
  };

  // Line/box elimination for v along rows (perriga) or columns: when the box's candidates of v
  // lie in one line, v leaves that line outside the box. In a line a, b runs across it.
  auto allinea = [&](int v, bool perriga) {
    auto cella = [&](int a, int b) -> int & { return perriga ? ntab[v][a][b] : ntab[v][b][a]; };
    const int mina = perriga ? minriga : mincol;
    const int maxa = perriga ? maxriga : maxcol;
    const int minb = perriga ? mincol : minriga;
    const int maxb = perriga ? maxcol : maxriga;
    int linee = 0;
    for (int a = mina; a < maxa && linee < 2; a++) {
      for (int b = minb; b < maxb; b++) {
        if (cella(a, b) == 1) {
          linee++;
          if (linee == 1) {
            rrr = a;
          }
          break;
        }
      }
    }
    if (linee == 1) {
      for (int k = 0; k < n; k++) {
        if ((k < minb || k >= maxb) && cella(rrr, k) == 1) {
          cella(rrr, k) = 0;
          giro++;
        }
      }
    }
    return linee == 1;
  };

  while (giro > 0) {
    giro = 0;
    for (int v = 0; v < n; v++) {
      for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) {
          if (ntab[v][i][j] == 0) {
            continue;
          }
          limiti(i, j, quad, minriga, maxriga, mincol, maxcol);

          // Row test: no other column of row i can take v.
          if (solo(v, i, j, i, i + 1, 0, n)) {
            piazza(20000, v, i, j);
            continue;
          }

          // Column test: no other row of column j can take v.
          if (solo(v, i, j, 0, n, j, j + 1)) {
            piazza(30000, v, i, j);
            continue;
          }

          // Box test: no other cell of the box can take v.
          if (solo(v, i, j, minriga, maxriga, mincol, maxcol)) {
            piazza(40000, v, i, j);
            continue;
          }

          // Line/box elimination, row form; the column form is reached only when the box's
          // candidates span two rows or more.
          if (allinea(v, true)) {
            continue;
          }
          allinea(v, false);
        }
      }
    }
  }

  if (s.primozero == 0) {
    scrivi(s.trascrizione, "Numeri inseriti con la tecnica dello sliding (cancella): %d.\n\n",
           inseriti);
    s.trascrizione += "Tabella aggiornata:\n\n";
    stampagriglia(s.trascrizione, griglia);
  }
}

// Clears from the candidate list every value present in row i.
void prendiriga(std::vector<int> &lista, int i, const Griglia &griglia) {
  const int n = static_cast<int>(griglia.size());
  for (int k = 0; k < n; k++) {
    if (griglia[i][k] != 0) {
      lista[griglia[i][k] - 1] = 0;
    }
  }
}

// Clears from the candidate list every value present in column j.
void prendicolonna(std::vector<int> &lista, int j, const Griglia &griglia) {
  const int n = static_cast<int>(griglia.size());
  for (int k = 0; k < n; k++) {
    if (griglia[k][j] != 0) {
      lista[griglia[k][j] - 1] = 0;
    }
  }
}

// Clears from the candidate list every value present in the box of (i, j).
void prendiquadrato(std::vector<int> &lista, int i, int j, const Griglia &griglia) {
  const int quad = latoquadrato(static_cast<int>(griglia.size()));
  int minriga = 0;
  int maxriga = 0;
  int mincol = 0;
  int maxcol = 0;
  limiti(i, j, quad, minriga, maxriga, mincol, maxcol);
  for (int r = minriga; r < maxriga; r++) {
    for (int c = mincol; c < maxcol; c++) {
      if (griglia[r][c] != 0) {
        lista[griglia[r][c] - 1] = 0;
      }
    }
  }
}

// Fresh candidate cube for the grid (N = griglia.size()).
Cubo inizializza(const Griglia &griglia) {
  const int n = static_cast<int>(griglia.size());
  const int quad = latoquadrato(n);
  Cubo ntab(static_cast<std::size_t>(n),
            std::vector<std::vector<int>>(static_cast<std::size_t>(n),
                                          std::vector<int>(static_cast<std::size_t>(n), 0)));
  for (int v = 0; v < n; v++) {
    for (int i = 0; i < n; i++) {
      for (int j = 0; j < n; j++) {
        ntab[v][i][j] = griglia[i][j] == 0 ? 1 : 0;
      }
    }
  }
  int minriga = 0;
  int maxriga = 0;
  int mincol = 0;
  int maxcol = 0;
  for (int i = 0; i < n; i++) {
    for (int j = 0; j < n; j++) {
      const int valore = griglia[i][j];
      if (valore == 0) {
        continue;
      }
      for (int k = 0; k < n; k++) {
        ntab[valore - 1][i][k] = 0;
      }
      for (int k = 0; k < n; k++) {
        ntab[valore - 1][k][j] = 0;
      }
      limiti(i, j, quad, minriga, maxriga, mincol, maxcol);
      for (int r = minriga; r < maxriga; r++) {
        for (int c = mincol; c < maxcol; c++) {
          ntab[valore - 1][r][c] = 0;
        }
      }
    }
  }
  return ntab;
}

// One search node. Instead of ending the process on a complete grid it records the result in
// the state, sets finito and returns; every caller then returns at once without undoing.
void inserisci(Stato &s, int i, int j) {
  s.nodi++;
  const int n = s.grandezza;
  Griglia &griglia = s.tabella;
  std::vector<std::pair<int, int>> cancella;

  {
    Cubo ntab = inizializza(griglia);
    univocipassaggio(n, ntab, griglia, cancella, s);
  } // the cube is released here, before any recursion

  std::vector<int> possibili(static_cast<std::size_t>(n));
  for (int k = 0; k < n; k++) {
    possibili[k] = k + 1;
  }

  bool completa = false;
  while (griglia[i][j] != 0) {
    j++;
    if (j == n) {
      i++;
      if (i < n) {
        j = 0;
      } else {
        completa = true;
        break;
      }
    }
  }

  if (completa) {
    s.soluzione = griglia;
    s.passisoluzione = s.passi;
    s.classificasoluzione = s.classifica;
    s.trascrizione += "\n\nEsecuzione terminata.";
    s.trascrizione += "\nPremere un tasto per chiudere questa finestra.\n";
    s.finito = true;
    return;
  }

  prendiriga(possibili, i, griglia);
  prendicolonna(possibili, j, griglia);
  prendiquadrato(possibili, i, j, griglia);

  for (int k = n - 1; k >= 0; k--) {
    if (possibili[k] == 0) {
      continue;
    }
    griglia[i][j] = possibili[k];
    s.classifica++;
    s.passi[i][j] = s.classifica + 10000;
    if (s.primozero == 0) {
      scrivi(s.trascrizione, "Sottoramo Principale %d\n", possibili[k]);
    }
    s.primozero++;
    inserisci(s, i, j);
    if (s.finito) {
      return;
    }
    s.classifica--;
    s.primozero--;
  }

  griglia[i][j] = 0;
  for (const auto &cella : cancella) {
    griglia[cella.first][cella.second] = 0;
    s.classifica--;
  }
}

// Writes a table's rows; cella(i, j, chiara) writes one cell, chiara telling the boxes
// coloured white, which alternate as the program's walk toggles them at each box edge.
template <class Cella>
void tabella(std::string &out, int n, int quad, const char *apririga, const char *chiudiriga,
             Cella cella) {
  out += "<TABLE border=1 cellpadding=5 align=center>\n\n";
  int colrcorr = -1;
  int colccorr = 0;
  for (int i = 0; i < n; i++) {
    out += apririga;
    if (i % quad == 0) {
      colrcorr = (colrcorr + 1) % 2;
    }
    colccorr = colrcorr;
    for (int j = 0; j < n; j++) {
      if (j % quad == 0) {
        colccorr = (colccorr + 1) % 2;
      }
      cella(i, j, colccorr == 1);
    }
    out += chiudiriga;
  }
}

// Page header shared by both pages.
void intestazione(std::string &out) {
  out += "<html>\n<head>\n<META NAME=\"DC.Title\" CONTENT=\"Sudoku\">";
  out += "\n<META NAME=\"description\" CONTENT=\"Output del programma";
  out += " per la risoluzione del Sudoku di Brunalvio\">\n";
  out += "<META NAME=\"keywords\" CONTENT=\"sudoku,brunalvio\">";
  out += "\n\n<title>Sudoku</title>\n\n</head><body>\n\n";
  out += "<body bgcolor=\"#006600\" text=black link=\"#000000\" vlink=\"#000000\" "
         "alink=\"#0000aa\">";
}

} // namespace

Esito risolvi(const Griglia &puzzle) {
  controlla(puzzle);
  const int n = static_cast<int>(puzzle.size());
  Stato s;
  s.grandezza = n;
  s.tabella = puzzle;
  s.passi.assign(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));

  s.trascrizione += "\nTabella iniziale:\n\n";
  stampagriglia(s.trascrizione, s.tabella);

  inserisci(s, 0, 0);

  Esito e;
  e.risolto = s.finito;
  e.nodi = s.nodi;
  e.trascrizione = s.trascrizione;
  if (s.finito) {
    e.griglia = s.soluzione;
    e.passi = s.passisoluzione;
    e.classifica = s.classificasoluzione;
  } else {
    e.griglia = s.tabella;
    e.passi = s.passi;
    e.classifica = s.classifica;
  }
  return e;
}

std::string paginasoluzione(const Griglia &puzzle, const Esito &e, int millisecondi) {
  const Griglia &griglia = e.griglia;
  const Griglia &tabellaold = puzzle;
  const int n = static_cast<int>(griglia.size());
  const int quad = latoquadrato(n);
  std::string out;

  intestazione(out);
  out += "\n<br><br>\n<h1 align=\"center\">Soluzione Sudoku</h1>\n<br>\n\n";
  tabella(out, n, quad, "<tr>", "</tr>\n", [&](int i, int j, bool chiara) {
    const bool dato = tabellaold[i][j] == griglia[i][j];
    if (chiara) {
      if (dato) {
        scrivi(out, "<td align=center bgcolor=\"#007700\">%d</td> ", griglia[i][j]);
      } else {
        scrivi(out, "<td align=center bgcolor=\"#007700\"><font color=red>%d</font></td> ",
               griglia[i][j]);
      }
    } else {
      if (dato) {
        scrivi(out, "<td align=center>%d</td> ", griglia[i][j]);
      } else {
        scrivi(out, "<td align=center><font color=red>%d</font></td> ", griglia[i][j]);
      }
    }
  });
  out += "</table><br><br>";
  scrivi(out, "\nGrandezza tabella: %d x %d<br>\n", n, n);
  scrivi(out, "Tempo della CPU impiegato: %7.3lf secondi<br>\n", millisecondi / 1000.0);
  out += "<a href=\"out4F.html\">Guarda la soluzione passo per passo</a><br>\n";
  out += "</body></html>\n";
  return out;
}

std::string paginapercorso(const Griglia &puzzle, const Esito &e) {
  const Griglia &griglia = e.griglia;
  const Griglia &passi = e.passi;
  Griglia tabellaold = puzzle; // replay board
  const int n = static_cast<int>(griglia.size());
  const int quad = latoquadrato(n);
  std::string out;

  intestazione(out);
  out += "<br><br><h1 align=center>Soluzione passo per passo</h1><br><p align=center>";
  out += "<br><b>Tabella iniziale:</b><br><br>";
  tabella(out, n, quad, "<tr>\n\n", "</tr>", [&](int i, int j, bool chiara) {
    if (chiara) {
      if (tabellaold[i][j] != 0) {
        scrivi(out, "<td bgcolor=white>%d</td>", tabellaold[i][j]);
      } else {
        out += "<td bgcolor=white>&nbsp;</td>";
      }
    } else {
      if (tabellaold[i][j] != 0) {
        scrivi(out, "<td>%d</td>", tabellaold[i][j]);
      } else {
        out += "<td>&nbsp;</td>";
      }
    }
  });
  out += "</table><br><br>\n\n";

  for (int s = 1; s <= e.classifica; s++) {
    int riga = -1;
    int colonna = -1;
    int tipo = 0;
    for (int r = 0; r < n && tipo == 0; r++) {
      for (int c = 0; c < n && tipo == 0; c++) {
        for (int k = 1; k <= 4; k++) {
          if (passi[r][c] == s + 10000 * k) {
            riga = r;
            colonna = c;
            tipo = k;
            break;
          }
        }
      }
    }
    if (tipo == 0) {
      continue;
    }
    const int valore = griglia[riga][colonna];
    if (tipo == 1) {
      out += "</p><hr width=600 size=3 color=red><p align=center>";
      scrivi(out,
             "<br>%3d"
             "\xB0"
             " numero trovato (%d,%d): %2d (Numero imposto arbitrariamente)<br><br>\n",
             s, riga + 1, colonna + 1, valore);
    } else if (tipo == 2) {
      scrivi(out,
             "<br>%3d"
             "\xB0"
             " numero trovato (%d,%d): %2d (Numero determinato univocamente - Unico possibile "
             "di riga)<br><br>\n",
             s, riga + 1, colonna + 1, valore);
    } else if (tipo == 3) {
      scrivi(out,
             "<br>%3d"
             "\xB0"
             " numero trovato (%d,%d): %2d (Numero determinato univocamente - Unico possibile "
             "di colonna)<br><br>\n",
             s, riga + 1, colonna + 1, valore);
    } else {
      scrivi(out,
             "<br>%3d"
             "\xB0"
             " numero trovato (%d,%d): %2d (Numero determinato univocamente - Unico possibile "
             "del quadrato)<br><br>\n",
             s, riga + 1, colonna + 1, valore);
    }
    tabellaold[riga][colonna] = valore;

    tabella(out, n, quad, "<tr>\n\n", "</tr>\n\n", [&](int i, int j, bool chiara) {
      if (tabellaold[i][j] == 0) {
        if (chiara) {
          out += "<td bgcolor=white>&nbsp;</td>\n";
        } else {
          out += "<td>&nbsp;</td>\n";
        }
      } else if (i == riga && j == colonna) {
        scrivi(out, "<td bgcolor=red>%d</td>\n", tabellaold[i][j]);
      } else if (chiara) {
        scrivi(out, "<td bgcolor=white>%d</td>\n", tabellaold[i][j]);
      } else {
        scrivi(out, "<td>%d</td>\n", tabellaold[i][j]);
      }
    });
    out += "</table><br>\n\n";
  }

  out += "</p>\n";
  out += "</body></html>\n";
  return out;
}

} // namespace oracolo
