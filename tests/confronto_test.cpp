// The program's solver against the straightforward oracle: the same steps,
// codes, nodes and console text on public collections and on seeded
// generated puzzles; every solution also passes the independent checker.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "app/stato.h"
#include "esecuzione.h"
#include "generatore.h"
#include "riferimento.h"
#include "solver/completabile.h"
#include "solver/cubo.h"
#include "solver/inserisci.h"
#include "solver/univoci.h"
#include "verifica.h"

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

struct Mio {
  bool risolto;
  Griglia griglia, passi;
  int classifica;
  long long nodi;
  std::string trascrizione;
};

// Runs the program's search in process, as the entry would.
Mio risolvimio(const Griglia &puzzle) {
  preparastato(static_cast<int>(puzzle.size()));
  tabella = puzzle;
  tabellaold = puzzle;
  testing::internal::CaptureStderr();
  const bool risolto = inserisci(tabella, 0, 0);
  std::string console = testing::internal::GetCapturedStderr();
  return {risolto,
          tabella,
          passi,
          classifica,
          lavoro.nodi,
          "\nTabella iniziale:\n\n" + ecogriglia(puzzle) + console + (risolto ? FINE : "")};
}

// The same outcome as the oracle's, nodes aside; a solution must pass the checker.
void confrontaesito(const Griglia &puzzle, const riferimento::Esito &atteso, const Mio &mio) {
  ASSERT_EQ(mio.risolto, atteso.risolto);
  EXPECT_EQ(mio.classifica, atteso.classifica);
  EXPECT_EQ(mio.griglia, atteso.griglia);
  EXPECT_EQ(mio.trascrizione, atteso.trascrizione);
  if (mio.risolto) {
    // Step codes are read only from a solution's path (no pages without
    // one): a search that fails may leave other codes behind from its dead
    // ends.
    EXPECT_EQ(mio.passi, atteso.passi);
    std::string motivo;
    EXPECT_TRUE(verifica::verificasoluzione(puzzle, mio.griglia, &motivo)) << motivo;
    EXPECT_TRUE(verifica::verificapercorso(puzzle, mio.griglia, mio.passi, mio.classifica, &motivo))
        << motivo;
  }
}

// Same outcome as the oracle, to the byte, with the completion check on and
// off; without it, the same nodes too.  A solution must pass the checker.
void confronta(const Griglia &puzzle, const std::string &nome) {
  SCOPED_TRACE(nome + "\n" + generatore::testopuzzle(puzzle));
  const riferimento::Esito atteso = riferimento::risolvi(puzzle);
  for (const bool controllo : {false, true}) {
    SCOPED_TRACE(controllo ? "con il controllo" : "senza il controllo");
    controllocompletamento = controllo;
    const Mio mio = risolvimio(puzzle);
    controllocompletamento = true;
    confrontaesito(puzzle, atteso, mio);
    if (!controllo) {
      EXPECT_EQ(mio.nodi, atteso.nodi);
    }
  }
}

std::string raccolta(const std::string &nome) {
  return std::string(SUPPORT_PUZZLE_DIR) + "/" + nome;
}

void confrontaraccolta(const std::string &nome) {
  ASSERT_TRUE(std::filesystem::exists(raccolta(nome))) << raccolta(nome);
  const auto puzzle = generatore::leggiraccolta(raccolta(nome));
  ASSERT_FALSE(puzzle.empty());
  for (std::size_t k = 0; k < puzzle.size(); ++k)
    confronta(puzzle[k], nome + " #" + std::to_string(k + 1));
}

TEST(Confronto, Raccolte9x9) {
  for (const char *nome : {"hardest.txt", "top95.txt", "p096_sudoku.txt", "plb_sudoku20.txt",
                           "tdoku_test_puzzles.txt"})
    confrontaraccolta(nome);
}

TEST(Confronto, Raccolta16x16) {
  confrontaraccolta("janko_16x16.txt");
}

// Random blanks, no uniqueness: many solutions, dead ends and deep searches.
TEST(Confronto, GeneratiLatiQuadrati) {
  const struct {
    int n, vuote, semi;
  } casi[] = {{1, 1, 2},     {4, 10, 20},  {4, 16, 1},   {9, 45, 30},  {9, 60, 30}, {9, 81, 1},
              {16, 120, 12}, {16, 140, 8}, {16, 256, 1}, {25, 250, 4}, {25, 280, 4}};
  for (const auto &c : casi)
    for (int s = 1; s <= c.semi; ++s) {
      const auto soluzione = generatore::generasoluzione(c.n, 1000u * c.n + s);
      confronta(generatore::generapuzzle(soluzione, c.vuote, 7u * s + c.vuote),
                "n " + std::to_string(c.n) + " vuote " + std::to_string(c.vuote) + " seme " +
                    std::to_string(s));
    }
}

// The candidates of two cubes following the same grid: the planes (masked
// with the empty cells), the single columns and the values of every empty
// cell.
template <class C> bool stessocubo(const C &a, const C &b) {
  const auto uguale = [](const auto &x, const auto &y) {
    return std::equal(std::begin(x.w), std::end(x.w), std::begin(y.w));
  };
  if (a.n != b.n ||
      !std::equal(a.colsole.begin(), a.colsole.end(), b.colsole.begin(), b.colsole.end(), uguale))
    return false;
  for (int v = 0; v < a.n; ++v)
    for (int k = 0; k < a.n; ++k)
      if (!uguale(riga(a, v, k), riga(b, v, k)) || !uguale(colonna(a, v, k), colonna(b, v, k)))
        return false;
  // The values standing in each row, column and box.
  for (int k = 0; k < a.n; ++k)
    if (!uguale(a.valoririga[k], b.valoririga[k]) ||
        !uguale(a.valoricolonna[k], b.valoricolonna[k]))
      return false;
  for (int k = 0; k < a.bande * a.bande; ++k)
    if (!uguale(a.valoriquadrato[k], b.valoriquadrato[k]))
      return false;
  for (int i = 0; i < a.n; ++i)
    for (int j = 0; j < a.n; ++j)
      if (ha(a.vuoteriga[i], j) != ha(b.vuoteriga[i], j) ||
          (ha(a.vuoteriga[i], j) && !uguale(a.valori[i * a.n + j], b.valori[i * a.n + j])))
        return false;
  return true;
}

// What the search does to its one cube between nodes, on a puzzle, checked
// against a cube built afresh: after a pass, giving back the eliminated
// candidates yields the cube of the grid; after a guess and the child's
// pass, emptying the cells they filled, the log and the copy of the notes
// take the cube back to it.  Counts the puzzles where each path was taken.
template <class C> void riportaallagriglia(const Griglia &puzzle, int &restituiti, int &ipotesi) {
  const int n = static_cast<int>(puzzle.size());
  preparastato(n);
  tabella = puzzle;
  primozero = 1;
  C c, fresco;
  inizializza(n, tabella, c);
  std::vector<Cella> lista;
  std::vector<Tolto> eliminati;
  univoci(n, c, tabella, lista, intervallo(0, n), eliminati);
  restituiti += !vuota(restituisci(c, tabella, eliminati));
  inizializza(n, tabella, fresco);
  ASSERT_TRUE(stessocubo(c, fresco));

  int i = 0, j = 0;
  while (i < n && tabella[i][j] != 0)
    (j + 1 < n) ? ++j : (j = 0, ++i);
  if (i == n || vuota(c.valori[i * n + j]))
    return;
  ++ipotesi;
  const int v = primo(c.valori[i * n + j]);
  const std::size_t marca = c.tolti;
  std::vector<typename C::R> note;
  salvanote(c, note);
  tabella[i][j] = v + 1;
  segna(c, i, j, v + 1);
  occupa(c, v, i, j);
  const std::size_t prima = lista.size();
  univoci(n, c, tabella, lista, intervallo(0, n), eliminati);
  for (std::size_t k = prima; k < lista.size(); ++k)
    svuotacella(tabella, c, lista[k].i, lista[k].j);
  svuotacella(tabella, c, i, j);
  ripristina(c, marca);
  riprendinote(c, note);
  EXPECT_TRUE(stessocubo(c, fresco));
}

// Both forms of the cube: any side (two words a line), and the side fixed
// at compile time that the search uses for 9, 16 and 25.
TEST(Confronto, CuboRiportatoAllaGrigliaDopoPassataEIpotesi) {
  const struct { int n, vuote; } casi[] = {{9, 50}, {9, 58}, {16, 130}, {16, 150}, {25, 300}};
  int restituiti = 0, ipotesi = 0;
  for (const auto &caso : casi)
    for (std::uint32_t s = 1; s <= 6; ++s) {
      const int n = caso.n;
      const Griglia puzzle =
          generatore::generapuzzle(generatore::generasoluzione(n, 31u * s + n), caso.vuote, s);
      SCOPED_TRACE(generatore::testopuzzle(puzzle));
      riportaallagriglia<Cubo>(puzzle, restituiti, ipotesi);
      if (n == 9)
        riportaallagriglia<CuboDi<1, 9>>(puzzle, restituiti, ipotesi);
      else if (n == 16)
        riportaallagriglia<CuboDi<1, 16>>(puzzle, restituiti, ipotesi);
      else
        riportaallagriglia<CuboDi<1, 25>>(puzzle, restituiti, ipotesi);
    }
  // Both paths were taken.
  EXPECT_GT(restituiti, 6);
  EXPECT_GT(ipotesi, 20);
}

// Boxes smaller than a row: the same rules apply, solvable or not.
TEST(Confronto, GeneratiLatiNonQuadrati) {
  // Whole empty grids of side 6 and more search very long trees: left out.
  for (int n : {2, 3, 6, 8, 12})
    for (int s = 1; s <= 8; ++s) {
      const auto soluzione = generatore::generasoluzione(n, 77u * n + s);
      for (int vuote : {n * n / 3, n * n / 2, n < 6 ? n * n : n * n / 2 + n})
        confronta(generatore::generapuzzle(soluzione, vuote, 13u * s + vuote),
                  "n " + std::to_string(n) + " vuote " + std::to_string(vuote) + " seme " +
                      std::to_string(s));
    }
}

// Whole runs of the binary: transcript and both pages against the oracle's.
TEST(Confronto, ProgrammaEPagine) {
  std::vector<Griglia> casi;
  const auto top95 = generatore::leggiraccolta(raccolta("top95.txt"));
  casi.insert(casi.end(), top95.begin(), top95.begin() + 3);
  const auto tdoku = generatore::leggiraccolta(raccolta("tdoku_test_puzzles.txt"));
  casi.insert(casi.end(), tdoku.end() - 4, tdoku.end());
  casi.push_back(generatore::leggiraccolta(raccolta("janko_16x16.txt")).at(0));
  casi.push_back(generatore::generapuzzle(generatore::generasoluzione(25, 5), 300, 5));
  casi.push_back(generatore::generapuzzle(generatore::generasoluzione(6, 3), 20, 3));
  casi.push_back(generatore::generapuzzle(generatore::generasoluzione(12, 3), 70, 3));
  // The step board of a 49 x 49 grid spans several bands of rows.
  casi.push_back(generatore::generapuzzle(generatore::generasoluzione(49, 7), 150, 7));
  for (const auto &puzzle : casi) {
    SCOPED_TRACE(generatore::testopuzzle(puzzle));
    const riferimento::Esito atteso = riferimento::risolvi(puzzle);
    const Corsa c = esegui(generatore::testopuzzle(puzzle));
    EXPECT_EQ(c.stato, 1);
    EXPECT_EQ(c.errori, acapo(atteso.trascrizione));
    if (!atteso.risolto) {
      EXPECT_FALSE(c.out || c.out4f);
      continue;
    }
    ASSERT_TRUE(c.out && c.out4f);
    EXPECT_EQ(senzatempo(*c.out),
              acapo(senzatempo(riferimento::paginasoluzione(puzzle, atteso, 0))));
    EXPECT_TRUE(*c.out4f ==
                acapo(riferimento::paginapercorso(puzzle, atteso))); // too large to print
  }
}

// Sides above 64 keep two machine words per line: the same steps again.
TEST(Confronto, LatiOltre64) {
  for (int n : {81, 100}) {
    const auto soluzione = generatore::generasoluzione(n, 41u * n);
    confronta(generatore::generapuzzle(soluzione, n * n / 8, 43u * n), "n " + std::to_string(n));
  }
}

// Sides beyond the collections: the solution passes the independent checker.
TEST(Confronto, GrandiGriglieVerificate) {
  for (int n : {36, 49, 64, 100}) {
    const auto soluzione = generatore::generasoluzione(n, 31u * n);
    const auto puzzle = generatore::generapuzzle(soluzione, n * n / 4, 17u * n);
    const Mio mio = risolvimio(puzzle);
    SCOPED_TRACE(n);
    ASSERT_TRUE(mio.risolto);
    std::string motivo;
    EXPECT_TRUE(verifica::verificasoluzione(puzzle, mio.griglia, &motivo)) << motivo;
    EXPECT_TRUE(verifica::verificapercorso(puzzle, mio.griglia, mio.passi, mio.classifica, &motivo))
        << motivo;
  }
}

// The solved grid as out.html shows it, row by row.
Griglia grigliadipagina(const std::string &pagina, int n) {
  Griglia g(n, std::vector<int>(n, 0));
  std::size_t p = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      p = pagina.find("<td align=center", p);
      if (p == std::string::npos)
        return {};
      p = pagina.find('>', p) + 1;
      if (pagina.compare(p, 16, "<font color=red>") == 0)
        p += 16;
      g[i][j] = std::atoi(pagina.c_str() + p);
    }
  return g;
}

// Whole runs at the largest sides: the solution read back from out.html
// passes the independent checker, and memory stays small whatever the size
// of the step page.
TEST(Confronto, GrandiGriglieDalProgramma) {
  const struct { int n, vuote; } casi[] = {{36, 324}, {49, 400}, {64, 400}, {100, 300}};
  for (const auto &c : casi) {
    SCOPED_TRACE(c.n);
    const auto puzzle =
        generatore::generapuzzle(generatore::generasoluzione(c.n, 53u * c.n), c.vuote, 59u * c.n);
    const Corsa corsa = esegui(generatore::testopuzzle(puzzle));
    EXPECT_EQ(corsa.stato, 1);
    ASSERT_TRUE(corsa.out && corsa.out4f);
    std::string motivo;
    EXPECT_TRUE(verifica::verificasoluzione(puzzle, grigliadipagina(*corsa.out, c.n), &motivo))
        << motivo;
#if !defined(__SANITIZE_ADDRESS__)
    if (corsa.memoriakb > 0) {
      EXPECT_LT(corsa.memoriakb, 64 * 1024) << "KiB at peak, step page of " << corsa.out4f->size();
    }
#endif
  }
}

} // namespace
