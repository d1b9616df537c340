// The completion check against a plain backtracking test on thousands of
// small random partial grids, square sides and not: a wrong "no" would
// silently change what the search prints.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/stato.h"
#include "esistenza.h"
#include "generatore.h"
#include "solver/clausole.h"
#include "solver/completabile.h"
#include "solver/unicita.h"
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

struct Conteggio {
  int si = 0, no = 0;
};

// Asks both forms of the check (one and two words a line) about every value
// the first empty cell of g may take, with all the allowance they need, with
// almost none and with none (propagation alone); every answer but "maybe"
// must be the plain test's.
template <int W> void chiedi(Completamento<W> &k, Griglia g, Conteggio &conta) {
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
    const bool atteso = esistenza::completabile(g);
    g[i][j] = prima;
    prima = v;
    const Risposta pieno = completabile(k, g, i, j, v, 1LL << 40);
    ASSERT_EQ(pieno, atteso ? Risposta::si : Risposta::no)
        << "valore " << v << " in " << i << ", " << j;
    for (const long long credito : {2, 0}) {
      const Risposta poco = completabile(k, g, i, j, v, credito);
      ASSERT_TRUE(poco == pieno || poco == Risposta::forse) << "valore " << v << ", " << credito;
    }
    ++(atteso ? conta.si : conta.no);
  }
}

TEST(Completabile, ComeUnaRicercaSemplice) {
  const struct {
    int n, minimo, massimo, griglie;
  } casi[] = {{4, 1, 10, 1500}, {6, 4, 24, 1000}, {8, 12, 40, 400}, {9, 20, 50, 400}};
  // Boxes matched or not, and the line/box elimination on or off, whatever
  // the side.
  const int solito = latoscatoleabbinate, incroci = latoincroci;
  const auto ripristina = [&] {
    latoscatoleabbinate = solito;
    latoincroci = incroci;
  };
  for (const auto &caso : casi)
    for (const int scatole : {4, 100}) {
      SCOPED_TRACE(std::to_string(caso.n) +
                   (scatole == 4 ? ", scatole e incroci" : ", righe e colonne"));
      latoscatoleabbinate = scatole;
      latoincroci = 104 - scatole;
      std::mt19937 casualita(static_cast<std::uint32_t>(caso.n));
      Completamento<1> stretto;
      Completamento<2> largo;
      preparacompletamento(stretto, caso.n);
      preparacompletamento(largo, caso.n);
      Conteggio conta;
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
        if (HasFatalFailure()) {
          ripristina();
          return;
        }
      }
      // Both answers were put to the test, many times each.
      EXPECT_GT(conta.si, caso.griglie / 4);
      EXPECT_GT(conta.no, caso.griglie / 4);
    }
  ripristina();
}

// The learning search alone, along chains of grids (its clauses and
// ground carried from one question to the next), square sides and not:
// each answer the plain test's, each completion it finds whole.
TEST(Completabile, ClausoleComeUnaRicercaSemplice) {
  for (const int n : {4, 6, 9}) {
    SCOPED_TRACE(n);
    std::mt19937 casualita(static_cast<std::uint32_t>(100 + n));
    Clausole s;
    preparaclausole(s, n);
    std::vector<int> ipotesi, modello;
    Conteggio conta;
    Griglia g;
    for (int t = 0; t < 3000; ++t) {
      if (t % 5 == 0)
        g = casuale(Griglia(n, std::vector<int>(n, 0)), n * n / 3, casualita);
      else
        g = casuale(g, 2, casualita);
      int c = static_cast<int>(casualita() % (n * n));
      while (g[c / n][c % n] != 0 && c + 1 < n * n)
        ++c;
      const int i = c / n, j = c % n;
      for (const int v : verifica::ammessi(g, i, j)) {
        Griglia h = g;
        h[i][j] = v;
        SCOPED_TRACE(generatore::testopuzzle(h));
        const bool atteso = esistenza::completabile(h);
        ipotesi.clear();
        for (const auto &riga : h)
          ipotesi.insert(ipotesi.end(), riga.begin(), riga.end());
        s.chiesta = c;
        const Esito e = risolviclausole(s, ipotesi, t % 2 == 0 ? 1LL << 40 : 3, modello);
        if (e == Esito::forse)
          continue;
        ASSERT_EQ(e, atteso ? Esito::si : Esito::no);
        ++(atteso ? conta.si : conta.no);
        if (!atteso)
          continue;
        Griglia completa(n, std::vector<int>(n));
        for (int x = 0; x < n * n; ++x)
          completa[x / n][x % n] = modello[x];
        ASSERT_EQ(verifica::griglia(h, completa, true), "");
      }
    }
    EXPECT_GT(conta.si, 100);
    EXPECT_GT(conta.no, 100);
  }
}

// The SAT solver's verdict on whether a grid has one completion only,
// against the plain test: none when the test finds none; else a whole
// completion that keeps the grid, and "only one" exactly when no other
// value of an empty cell leaves a completion.
TEST(Completabile, UnicaComeUnaRicercaSemplice) {
  for (const int n : {4, 9}) {
    SCOPED_TRACE(n);
    std::mt19937 casualita(static_cast<std::uint32_t>(200 + n));
    int quante[3] = {};
    // The verdict on g; its completion, if any, in completa.
    const auto prova = [&](const Griglia &g, Griglia &completa) {
      SCOPED_TRACE(generatore::testopuzzle(g));
      std::vector<int> base;
      for (const auto &riga : g)
        base.insert(base.end(), riga.begin(), riga.end());
      Unicita u;
      avviaunicita(u, n, base);
      // A small allowance, so that each step is taken over several calls.
      for (int passi = 0; passi < 1000 &&
                          (u.stato == Unicita::Stato::cerca || u.stato == Unicita::Stato::verifica);
           ++passi)
        avanzaunicita(u, 1);
      ASSERT_TRUE(u.stato == Unicita::Stato::nessuna || u.stato == Unicita::Stato::unica ||
                  u.stato == Unicita::Stato::molte);
      ASSERT_EQ(u.stato == Unicita::Stato::nessuna, !esistenza::completabile(g));
      completa.clear();
      if (u.stato == Unicita::Stato::nessuna) {
        ++quante[0];
        return;
      }
      completa.assign(n, std::vector<int>(n));
      for (int x = 0; x < n * n; ++x)
        completa[x / n][x % n] = u.soluzione[static_cast<std::size_t>(x)];
      ASSERT_EQ(verifica::griglia(g, completa, true), "");
      bool altra = false;
      for (int x = 0; x < n * n && !altra; ++x)
        if (g[x / n][x % n] == 0)
          for (const int v : verifica::ammessi(g, x / n, x % n)) {
            Griglia h = g;
            h[x / n][x % n] = v;
            if (v != completa[x / n][x % n] && esistenza::completabile(h)) {
              altra = true;
              break;
            }
          }
      ASSERT_EQ(u.stato == Unicita::Stato::molte, altra);
      ++quante[altra ? 2 : 1];
    };
    for (int t = 0; t < (n == 4 ? 300 : 100); ++t) {
      // A random grid, then (for one with a completion) some of the cells
      // of its completion, which has often that one only.
      const int prove = static_cast<int>(casualita() % (n * n));
      Griglia completa;
      prova(casuale(Griglia(n, std::vector<int>(n, 0)), prove, casualita), completa);
      if (completa.empty())
        continue;
      const int tenute = 30 + static_cast<int>(casualita() % 40);
      for (auto &riga : completa)
        for (int &x : riga)
          if (static_cast<int>(casualita() % 100) >= tenute)
            x = 0;
      Griglia altra;
      prova(completa, altra);
      if (HasFatalFailure())
        return;
    }
    // Each verdict was put to the test.
    EXPECT_GT(quante[0], 5);
    EXPECT_GT(quante[1], 5);
    EXPECT_GT(quante[2], 5);
  }
}

} // namespace
