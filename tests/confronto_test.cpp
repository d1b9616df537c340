// The program's solver against the straightforward oracle of bench/: the
// same outcome, steps, codes, console text (and search nodes, with the
// completion check off) on the public
// collections and on seeded generated puzzles, in process; the real program
// against the oracle's pages. Every solution passes the independent checker.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/stato.h"
#include "esecuzione.h"
#include "generatore.h"
#include "modi.h"
#include "oracolo_completamento.h"
#include "oracolo_ricerca.h"
#include "solver/completamento.h"
#include "solver/ricerca.h"
#include "verifica.h"

namespace {

namespace fs = std::filesystem;
using generatore::generapuzzle;
using generatore::generasoluzione;
using generatore::testopuzzle;

const fs::path RACCOLTE = SUDOKU_RACCOLTE, DATI = SUDOKU_DATI_TEST;

std::string raccolta(const std::string &nome) {
  return (RACCOLTE / nome).string();
}

struct Confrontato {
  bool risolto = false; // the search solved the puzzle
  long long motori = 0; // learning engines its checks started, over the three ways
};

// The search in process, as the entry runs it, against the oracle, with the
// completion check off (the same tree, node for node), on, and on starved
// of allowance (the same outcome, to the byte).  The engines it reports
// started: none without the check, at most the engines it may race.
Confrontato confronta(const Griglia &puzzle) {
  SCOPED_TRACE(testopuzzle(puzzle));
  const oracolo::Esito atteso = oracolo::risolvi(puzzle);
  bool risolto = false;
  long long motori = 0;
  for (int m = 0; m < MODI; ++m) {
    SCOPED_TRACE(nomemodo(m));
    const Opzioni opzioni = modo(m);
    preparastato(static_cast<int>(puzzle.size()));
    tabella = tabellaold = puzzle;
    testing::internal::CaptureStderr();
    const EsitoRicerca esito = inserisci(tabella, 0, 0, opzioni);
    risolto = esito.risolto;
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_EQ(risolto, atteso.risolto);
    EXPECT_EQ(tabella, atteso.griglia);
    EXPECT_EQ(classifica, atteso.classifica);
    EXPECT_TRUE(opzioni.controllo || esito.lavoro.nodi == atteso.nodi)
        << esito.lavoro.nodi << " nodi";
    EXPECT_LE(esito.lavoro.motori, opzioni.controllo ? opzioni.motori : 0);
    motori += esito.lavoro.motori;
    EXPECT_EQ("\nTabella iniziale:\n\n" + ecogriglia(puzzle) + console + (risolto ? FINE : ""),
              atteso.trascrizione);
    if (risolto) { // a failed search may leave codes of its dead ends behind
      EXPECT_EQ(passi, atteso.passi);
      EXPECT_EQ(verifica::griglia(puzzle, tabella, true), "");
    }
  }
  return {risolto, motori};
}

// Each collection of dati/; where it gives the solution, or the number of
// solutions, the outcome must agree with it too.  On each, some search
// started the learning engine.
class Raccolta : public testing::TestWithParam<const char *> {};

TEST_P(Raccolta, ComeLOracolo) {
  const std::string nome = GetParam();
  long long motori = 0;
  if (nome == "tdoku_test_puzzles") {
    for (const auto &[puzzle, soluzioni] : generatore::leggitdoku(raccolta(nome) + ".txt")) {
      const Confrontato c = confronta(puzzle);
      EXPECT_EQ(c.risolto, soluzioni > 0);
      motori += c.motori;
    }
    EXPECT_GT(motori, 0);
    return;
  }
  const auto puzzle = generatore::leggiraccolta(raccolta(nome) + ".txt");
  const bool risolte = fs::exists(raccolta(nome) + "_solutions.txt");
  const auto soluzioni = risolte ? generatore::leggisoluzioni(raccolta(nome) + "_solutions.txt")
                                 : std::vector<Griglia>(puzzle.size());
  ASSERT_GE(puzzle.size(), 11u);
  ASSERT_EQ(puzzle.size(), soluzioni.size());
  for (std::size_t k = 0; k < puzzle.size(); ++k) {
    const Confrontato c = confronta(puzzle[k]);
    EXPECT_TRUE(c.risolto) << nome << " #" << k + 1;
    EXPECT_TRUE(!risolte || tabella == soluzioni[k]) << nome << " #" << k + 1;
    motori += c.motori;
  }
  EXPECT_GT(motori, 0);
}

INSTANTIATE_TEST_SUITE_P(Dati, Raccolta,
                         testing::Values("hardest", "top95", "p096_sudoku", "plb_sudoku20",
                                         "tdoku_test_puzzles", "janko_16x16"));

// Random blanks, no uniqueness: many solutions, dead ends, deep searches;
// sides that are not squares, whose boxes are smaller than a row; sides
// above 64, whose lines take two machine words.
TEST(Confronto, Generati) {
  const struct {
    int n, vuote, semi;
  } casi[] = {{1, 1, 2},    {4, 10, 20},   {4, 16, 1},   {9, 45, 30},  {9, 60, 30},
              {9, 81, 1},   {16, 120, 12}, {16, 140, 8}, {16, 256, 1}, {25, 250, 4},
              {25, 280, 4}, {2, 2, 8},     {2, 4, 8},    {3, 3, 8},    {3, 9, 8},
              {6, 12, 8},   {6, 18, 8},    {8, 21, 8},   {8, 40, 8},   {12, 48, 8},
              {12, 84, 8},  {36, 324, 1},  {64, 512, 1}, {81, 820, 1}, {100, 1250, 1}};
  for (const auto &c : casi)
    for (int s = 1; s <= c.semi; ++s)
      confronta(generapuzzle(generasoluzione(c.n, 1000u * c.n + s), c.vuote, 7u * s + c.vuote));
}

// Whole runs of the program on the puzzles of tests/programma (some from the
// collections, some without solution, others generated, of sides 6 to 100,
// one nesting fifty guesses): its transcript and both pages are the
// oracle's; memory stays small whatever the size of the step page.
TEST(Confronto, ProgrammaEPagine) {
  std::vector<Griglia> casi;
  for (const auto &voce : fs::directory_iterator(DATI / "programma"))
    casi.push_back(generatore::grigliadatesto(generatore::leggitutto(voce.path().string())));
  ASSERT_GE(casi.size(), 10u);
  for (const auto &puzzle : casi) {
    SCOPED_TRACE(testopuzzle(puzzle));
    const oracolo::Esito atteso = oracolo::risolvi(puzzle);
    const Corsa c = esegui(testopuzzle(puzzle));
    EXPECT_EQ(c.stato, atteso.risolto ? 1 : STATO_SENZA_SOLUZIONE);
    EXPECT_EQ(c.errori,
              acapo(atteso.trascrizione + std::string(atteso.risolto ? "" : FINE_SENZA_SOLUZIONE)));
    ASSERT_EQ(c.out.has_value() && c.out4f.has_value(), atteso.risolto);
    if (!atteso.risolto)
      continue;
    EXPECT_EQ(senzatempo(*c.out), acapo(senzatempo(oracolo::paginasoluzione(puzzle, atteso, 0))));
    EXPECT_TRUE(*c.out4f == acapo(oracolo::paginapercorso(puzzle, atteso))); // too large to print
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(c.memoriakb, 64 * 1024) << "KiB at peak, step page of " << c.out4f->size();
#endif
  }
}

} // namespace
