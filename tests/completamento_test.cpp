// The completion check against a plain backtracking test on thousands of
// small random partial grids, square sides and not: a wrong "no" would
// silently change what the search prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "app/stato.h"
#include "chiedigriglia.h"
#include "generatore.h"
#include "oracolo_completamento.h"
#include "solver/completamento.h"
#include "solver/corsa.h"
#include "solver/sat.h"
#include "verifica.h"

namespace {

// Grid g with up to `prove` more cells: each a random cell given a random
// value that its row, column and box still allow, when there is one.
Griglia casuale(Griglia g, int prove, std::mt19937 &caso) {
  const int n = static_cast<int>(g.size());
  for (int t = 0; t < prove; ++t) {
    const int i = static_cast<int>(caso() % n), j = static_cast<int>(caso() % n);
    const std::vector<int> valori = verifica::ammessi(g, i, j);
    if (g[i][j] == 0 && !valori.empty())
      g[i][j] = valori[caso() % valori.size()];
  }
  return g;
}

// Asks both forms of the check (one and two words a line) about every value
// the first empty cell of g may take, with all the allowance they need, with
// almost none and with none (propagation alone); every answer but "maybe"
// must be the plain test's.
template <int W> void chiedi(ChiediGriglia<W> &k, Griglia g, int (&conta)[2]) {
  const int n = static_cast<int>(g.size());
  int c = 0;
  while (c < n * n && g[c / n][c % n] != 0)
    ++c;
  if (c == n * n)
    return;
  const int i = c / n, j = c % n;
  // As in the search, the cell asked about holds the value asked before.
  int prima = 0;
  for (const int v : verifica::ammessi(g, i, j)) {
    g[i][j] = v;
    const bool atteso = oracolo::completabile(g);
    g[i][j] = prima;
    prima = v;
    const Risposta pieno = k.chiedi(g, i, j, v, 1LL << 40);
    ASSERT_EQ(pieno, atteso ? Risposta::si : Risposta::no)
        << "valore " << v << " in " << i << ", " << j;
    for (const long long credito : {2, 0}) {
      const Risposta poco = k.chiedi(g, i, j, v, credito);
      ASSERT_TRUE(poco == pieno || poco == Risposta::forse) << "valore " << v << ", " << credito;
    }
    ++conta[atteso];
  }
}

TEST(Completabile, ComeUnaRicercaSemplice) {
  const struct {
    int n, minimo, massimo, griglie;
  } casi[] = {{4, 1, 10, 1500}, {6, 4, 24, 1000}, {8, 12, 40, 400}, {9, 20, 50, 400}};
  // Boxes matched or not, whatever the side; one learning engine, or three
  // racing on every question.
  for (const auto &caso : casi)
    for (const int modo : {0, 1, 2}) {
      SCOPED_TRACE(std::to_string(caso.n) + (modo == 0   ? ", scatole abbinate"
                                             : modo == 1 ? ", righe e colonne"
                                                         : ", tre motori"));
      Opzioni o;
      o.latoscatoleabbinate = modo == 1 ? 100 : 4;
      o.motori = modo == 2 ? 3 : 1;
      o.conflittiprimadellacorsa = 0;
      std::mt19937 casualita(static_cast<std::uint32_t>(caso.n));
      ChiediGriglia<1> stretto(caso.n, o);
      ChiediGriglia<2> largo(caso.n, o);
      int conta[2] = {}; // answers no, yes
      // Chains of grids, each but the first of a chain the one before with a
      // cell emptied and a few filled, as the grids along a search path are.
      Griglia g;
      for (int s = 0; s < caso.griglie; ++s) {
        const int prove =
            caso.minimo + static_cast<int>(casualita() % (caso.massimo - caso.minimo + 1));
        if (s % 5 == 0) {
          g = casuale(Griglia(caso.n, std::vector<int>(caso.n, 0)), prove, casualita);
        } else {
          g[casualita() % caso.n][casualita() % caso.n] = 0;
          g = casuale(g, 1 + static_cast<int>(casualita() % 3), casualita);
        }
        SCOPED_TRACE(generatore::testopuzzle(g));
        chiedi(stretto, g, conta);
        chiedi(largo, g, conta);
        if (HasFatalFailure())
          return;
      }
      // Both answers were put to the test, many times each.
      EXPECT_GT(conta[1], caso.griglie / 4);
      EXPECT_GT(conta[0], caso.griglie / 4);
    }
}

// The learning engine's verdict on whether a grid has one completion only,
// reached on a small allowance over several calls, with variables for the
// values the grid allows or for every value: none when the plain test
// finds none, "only one" exactly when no other value of an empty cell
// leaves one, and the completion it found whole.
TEST(Completabile, UnicitaComeUnaRicercaSemplice) {
  for (const int n : {4, 6, 9})
    for (const bool tutti : {false, true}) {
      SCOPED_TRACE(std::to_string(n) + (tutti ? ", ogni valore" : ", valori ammessi"));
      std::mt19937 casualita(static_cast<std::uint32_t>(100 * tutti + n));
      int verdetti[3] = {};
      for (int radici = 0; radici < (n == 4 ? 200 : 60); ++radici) {
        // A random grid, or some of the cells of a whole one, which have
        // often that completion only.
        Griglia radice = casuale(Griglia(n, std::vector<int>(n, 0)),
                                 static_cast<int>(casualita() % (n * n)), casualita);
        if (radici % 2 == 1) {
          radice = generatore::generasoluzione(n, casualita());
          const int tenute = 30 + static_cast<int>(casualita() % 40);
          for (auto &riga : radice)
            for (int &x : riga)
              if (static_cast<int>(casualita() % 100) >= tenute)
                x = 0;
        }
        SCOPED_TRACE(generatore::testopuzzle(radice));
        std::vector<int> base, valori, inizio;
        for (int c = 0; c < n * n; ++c) {
          const int x = radice[c / n][c % n];
          base.push_back(x);
          inizio.push_back(static_cast<int>(valori.size()));
          const std::vector<int> ammessi = verifica::ammessi(radice, c / n, c % n);
          for (int v = 1; v <= n; ++v)
            if (x != 0 ? v == x : tutti || std::count(ammessi.begin(), ammessi.end(), v) > 0)
              valori.push_back(v);
        }
        inizio.push_back(static_cast<int>(valori.size()));
        Sat s;
        contasat(s, n, base, valori, inizio);
        avviasat(s);
        for (int passi = 0; passi < 1000 && s.motore && s.unicita != Sat::Unicita::molte; ++passi)
          avanzaunicita(s, 1);
        ASSERT_EQ(s.unicita == Sat::Unicita::nessuna, !oracolo::completabile(radice));
        if (s.unicita == Sat::Unicita::nessuna)
          continue;
        ASSERT_TRUE(s.unicita == Sat::Unicita::unica || s.unicita == Sat::Unicita::molte);
        Griglia completa(n, std::vector<int>(n));
        for (int x = 0; x < n * n; ++x)
          completa[x / n][x % n] = s.soluzione[static_cast<std::size_t>(x)];
        ASSERT_EQ(verifica::griglia(radice, completa, true), "");
        bool altra = false;
        for (int x = 0; x < n * n && !altra; ++x)
          for (const int v : verifica::ammessi(radice, x / n, x % n)) {
            Griglia h = radice;
            h[x / n][x % n] = v;
            altra = altra || (radice[x / n][x % n] == 0 && v != completa[x / n][x % n] &&
                              oracolo::completabile(h));
          }
        ASSERT_EQ(s.unicita == Sat::Unicita::molte, altra);
        ++verdetti[altra ? 2 : 1];
      }
      // Both verdicts were put to the test.
      EXPECT_GT(verdetti[1], 3);
      EXPECT_GT(verdetti[2], 3);
    }
}

} // namespace

// Running out of memory inside a racing engine's thread reaches the
// searching thread as the exception it was, whichever engine it hit, once
// every job has ended: thrown past a thread's end it would abort the
// process.
TEST(Completabile, EccezioneDelMotoreAlChiamante) {
  for (const int quanti : {1, 3})
    for (int guasto = 0; guasto < quanti; ++guasto) {
      std::vector<int> finiti(static_cast<std::size_t>(quanti));
      EXPECT_THROW(corri(quanti,
                         [&](int x) {
                           if (x == guasto)
                             throw std::bad_alloc();
                           finiti[static_cast<std::size_t>(x)] = 1;
                         }),
                   std::bad_alloc);
      EXPECT_EQ(std::count(finiti.begin(), finiti.end(), 1), quanti - 1);
    }
}
