// The candidate cube, single deduction passes and the search, driven in
// process on the program's own state.
#include <gtest/gtest.h>

#include <vector>

#include "app/stato.h"
#include "solver/cubo.h"
#include "solver/inserisci.h"
#include "solver/univoci.h"

namespace {

// Sets the process-wide state up for puzzle g, as the entry does.
void prepara(const Griglia &g) {
  preparastato(static_cast<int>(g.size()));
  tabella = g;
  tabellaold = g;
  primozero = 1; // keep the deduction report off the console
}

Griglia vuota(int n) {
  return Griglia(n, std::vector<int>(n, 0));
}

// One deduction pass over puzzle g, on the program's state; returns the cells
// it placed and leaves its cube in c.
std::vector<Cella> passata(const Griglia &g, Cubo &c) {
  prepara(g);
  const int n = static_cast<int>(g.size());
  inizializza(n, tabella, c);
  std::vector<Cella> lista;
  std::vector<Tolto> eliminati;
  univoci(n, c, tabella, lista, intervallo(0, n), eliminati);
  return lista;
}

int candidati(const Cubo &c) {
  int k = 0;
  for (int v = 0; v < c.n; ++v)
    for (int i = 0; i < c.n; ++i)
      k += conta(riga(c, v, i));
  return k;
}

// Rows and columns of the cube must describe the same entries.
void coerente(const Cubo &c) {
  for (int v = 0; v < c.n; ++v)
    for (int i = 0; i < c.n; ++i)
      for (int j = 0; j < c.n; ++j)
        ASSERT_EQ(ha(riga(c, v, i), j), ha(colonna(c, v, j), i));
}

// The single-candidate test behind the row, column and box tests, on every
// bit position and pair, in one word and across two.
TEST(Bit, UnicoSoloConUnBit) {
  EXPECT_FALSE(unico(RigaDi<1>{}));
  EXPECT_FALSE(unico(Riga{}));
  EXPECT_FALSE(unico(tutti<1>()));
  for (int a = 0; a < 128; ++a) {
    Riga r;
    metti(r, a);
    EXPECT_TRUE(unico(r)) << a;
    if (a < 64) {
      RigaDi<1> s;
      metti(s, a);
      EXPECT_TRUE(unico(s)) << a;
    }
    for (int b = a + 1; b < 128; ++b) {
      Riga due = r;
      metti(due, b);
      EXPECT_FALSE(unico(due)) << a << " " << b;
      if (b < 64) {
        RigaDi<1> s;
        metti(s, a);
        metti(s, b);
        EXPECT_FALSE(unico(s)) << a << " " << b;
      }
    }
  }
}

// The values still possible at a cell, on every side up to 100 (values 64
// and above sit in the second word): each filter clears exactly the values
// its unit holds, whatever else the grid holds.
TEST(Filtri, TolgonoSoloIValoriDellUnita) {
  unsigned seme = 7;
  const auto caso = [&seme](int k) { // 0..k-1, repeatable
    seme = seme * 1103515245u + 12345u;
    return static_cast<int>((seme >> 8) % static_cast<unsigned>(k));
  };
  for (int n : {1, 4, 9, 64, 81, 100}) {
    Griglia g = vuota(n);
    for (auto &r : g)
      for (int &x : r)
        x = caso(2) == 0 ? 0 : 1 + caso(n); // about half filled, repeats allowed
    const int q = latoquadrato(n);
    for (int prova = 0; prova < 20; ++prova) {
      const int i = caso(n), j = caso(n);
      Riga riga, colonna, quadrato; // the values the unit holds, as the filters code them
      for (int k = 0; k < n; ++k) {
        if (g[i][k] != 0)
          metti(riga, g[i][k] - 1);
        if (g[k][j] != 0)
          metti(colonna, g[k][j] - 1);
        const int r = i / q * q + k / q, c = j / q * q + k % q;
        if (g[r][c] != 0)
          metti(quadrato, g[r][c] - 1);
      }
      const Riga tutti = intervallo(0, n);
      for (int v = 0; v < 128; ++v) {
        EXPECT_EQ(ha(prendiriga(tutti, i, g), v), v < n && !ha(riga, v)) << n << " " << v;
        EXPECT_EQ(ha(prendicolonna(tutti, j, g), v), v < n && !ha(colonna, v)) << n << " " << v;
        EXPECT_EQ(ha(prendiquadrato(tutti, i, j, g), v), v < n && !ha(quadrato, v))
            << n << " " << v;
      }
    }
  }
}

TEST(Cubo, CompletaNessunCandidatoVuotaTutti) {
  Cubo c;
  const Griglia piena = {{1, 2, 3, 4}, {3, 4, 1, 2}, {2, 1, 4, 3}, {4, 3, 2, 1}};
  inizializza(4, piena, c);
  EXPECT_EQ(candidati(c), 0);
  inizializza(9, vuota(9), c);
  EXPECT_EQ(candidati(c), 9 * 9 * 9);
  coerente(c);
  inizializza(100, vuota(100), c);
  EXPECT_EQ(candidati(c), 100 * 100 * 100);
  coerente(c);
}

TEST(Cubo, UnSoloValoreInAngolo) {
  Griglia g = vuota(4);
  g[0][0] = 1;
  Cubo c;
  inizializza(4, g, c);
  coerente(c);
  const std::vector<std::pair<int, int>> uno = {{1, 2}, {1, 3}, {2, 1}, {2, 2},
                                                {2, 3}, {3, 1}, {3, 2}, {3, 3}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const bool atteso = std::find(uno.begin(), uno.end(), std::pair{i, j}) != uno.end();
      EXPECT_EQ(candidato(c, 0, i, j), atteso) << i << "," << j;
      for (int v = 1; v < 4; ++v)
        EXPECT_EQ(candidato(c, v, i, j), i != 0 || j != 0);
    }
}

TEST(Cubo, LatiNonQuadratiUsanoQuadratiPiccoli) {
  // N = 6: nine 2 x 2 boxes; a value in (0,0) removes itself from (1,1) only
  // through the box, and nothing from (2,2).
  Griglia g = vuota(6);
  g[0][0] = 5;
  Cubo c;
  inizializza(6, g, c);
  coerente(c);
  EXPECT_FALSE(candidato(c, 4, 1, 1));
  EXPECT_TRUE(candidato(c, 4, 2, 2));
  EXPECT_TRUE(candidato(c, 4, 1, 2));
}

TEST(Deduzione, PrimaRigaUnoDueTre) {
  Griglia g = vuota(4);
  g[0] = {1, 2, 3, 0};
  Cubo c;
  const std::vector<Cella> lista = passata(g, c);
  ASSERT_EQ(lista.size(), 1u);
  EXPECT_EQ(tabella[0][3], 4);
  EXPECT_EQ(passi[0][3], 20001);
  EXPECT_EQ(classifica, 1);
}

TEST(Deduzione, LatoUnoPerTreEDue) {
  Cubo c;
  const std::vector<Cella> lista = passata(vuota(3), c);
  const std::vector<std::tuple<int, int, int, int>> atteso = {
      {0, 0, 1, 4}, {1, 1, 1, 4}, {2, 2, 1, 2}, {0, 1, 2, 4},
      {1, 0, 2, 4}, {0, 2, 3, 2}, {2, 0, 3, 3}};
  ASSERT_EQ(lista.size(), atteso.size());
  for (std::size_t s = 0; s < atteso.size(); ++s) {
    const auto [i, j, v, k] = atteso[s];
    EXPECT_EQ(lista[s].i, i);
    EXPECT_EQ(lista[s].j, j);
    EXPECT_EQ(tabella[i][j], v);
    EXPECT_EQ(passi[i][j], codicepasso(static_cast<int>(s) + 1, k));
  }
  EXPECT_EQ(tabella[1][2], 0);
  EXPECT_EQ(tabella[2][1], 0);
  for (int v = 0; v < 3; ++v) {
    EXPECT_FALSE(candidato(c, v, 1, 2));
    EXPECT_FALSE(candidato(c, v, 2, 1));
  }
}

TEST(Deduzione, NessunaCellaConUnSoloCandidatoSenzaTest) {
  const Griglia g = {
      {0, 0, 0, 9, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 7, 4, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 1, 0, 0},
      {8, 0, 0, 0, 0, 6, 0, 0, 9}, {2, 4, 0, 5, 8, 0, 0, 0, 3}, {6, 0, 0, 0, 3, 0, 0, 5, 0},
      {0, 0, 0, 0, 4, 5, 9, 0, 0}, {0, 9, 4, 8, 1, 0, 0, 6, 2}, {0, 0, 0, 0, 0, 7, 0, 4, 0}};
  Cubo c;
  const std::vector<Cella> lista = passata(g, c);
  ASSERT_EQ(lista.size(), 2u);
  EXPECT_EQ(tabella[4][6], 6);
  EXPECT_EQ(passi[4][6], 20001);
  EXPECT_EQ(tabella[8][4], 9);
  EXPECT_EQ(passi[8][4], 20002);
  EXPECT_EQ(tabella[3][4], 0);
  int rimasti = 0;
  for (int v = 0; v < 9; ++v)
    rimasti += candidato(c, v, 3, 4);
  EXPECT_EQ(rimasti, 1);
  EXPECT_TRUE(candidato(c, 1, 3, 4));
}

TEST(Deduzione, EliminazioneRigaQuadratoSenzaPiazzare) {
  // Value 1 in the top-left box of a 9 x 9 can only go in row 0 (rows 1 and
  // 2 of the box are full), so row 0 loses 1 outside the box.
  Griglia g = vuota(9);
  g[1] = {2, 3, 4, 0, 0, 0, 0, 0, 0};
  g[2] = {5, 6, 7, 0, 0, 0, 0, 0, 0};
  Cubo c;
  const std::vector<Cella> lista = passata(g, c);
  EXPECT_TRUE(lista.empty());
  for (int j = 3; j < 9; ++j)
    EXPECT_FALSE(candidato(c, 0, 0, j)) << j;
  EXPECT_TRUE(candidato(c, 0, 0, 0));
  coerente(c);
}

// Asked to, a pass gives up at once when the first empty cell has no value
// left; otherwise it makes its placements as ever.  (0, 2) has 1 and 2 in
// its row, 3 and 4 in its column.
TEST(Deduzione, SiFermaSeLaPrimaCellaVuotaNonHaValori) {
  const Griglia g = {{1, 2, 0, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}};
  for (const bool fermati : {true, false}) {
    prepara(g);
    Cubo c;
    inizializza(4, tabella, c);
    EXPECT_TRUE(bloccata(c, 0, 2));
    EXPECT_FALSE(bloccata(c, 0, 3));
    std::vector<Cella> lista;
    std::vector<Tolto> eliminati;
    EXPECT_EQ(univoci(4, c, tabella, lista, intervallo(0, 4), eliminati, fermati), fermati);
    EXPECT_EQ(lista.empty(), fermati);
    EXPECT_EQ(tabella == g, fermati);
    EXPECT_EQ(classifica, static_cast<int>(lista.size()));
  }
}

TEST(Ricerca, QuattroPerQuattroTrediciPassi) {
  Griglia g = vuota(4);
  g[0] = {1, 2, 3, 0};
  prepara(g);
  primozero = 0;
  testing::internal::CaptureStderr();
  const bool risolto = inserisci(tabella, 0, 0);
  const std::string console = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(risolto);
  EXPECT_EQ(classifica, 13);
  const Griglia soluzione = {{1, 2, 3, 4}, {4, 3, 2, 1}, {3, 4, 1, 2}, {2, 1, 4, 3}};
  EXPECT_EQ(tabella, soluzione);
  const Griglia codici = {{0, 0, 0, 20001},
                          {10002, 20003, 10004, 20005},
                          {10006, 10010, 20011, 20007},
                          {20008, 20012, 20013, 20009}};
  EXPECT_EQ(passi, codici);
  EXPECT_NE(console.find("Sottoramo Principale 4\n"), std::string::npos);
  EXPECT_EQ(console.find("Sottoramo Principale 3"), std::string::npos);
}

TEST(Ricerca, SenzaSoluzioneLasciaLaGrigliaComeEra) {
  const Griglia g = {{1, 2, 0, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}};
  prepara(g);
  EXPECT_FALSE(inserisci(tabella, 0, 0));
  EXPECT_EQ(tabella, g);
  EXPECT_EQ(classifica, 0);
  EXPECT_EQ(primozero, 1);
}

TEST(Ricerca, DueSoluzioniVinceQuellaConValoriPiuGrandi) {
  // 1 and 2 can swap in the first two columns of rows 0 and 2; nothing
  // deduces which, so the first guess decides, largest value first.
  const Griglia g = {{0, 0, 3, 4}, {3, 4, 1, 2}, {0, 0, 4, 3}, {4, 3, 2, 1}};
  prepara(g);
  ASSERT_TRUE(inserisci(tabella, 0, 0));
  const Griglia soluzione = {{2, 1, 3, 4}, {3, 4, 1, 2}, {1, 2, 4, 3}, {4, 3, 2, 1}};
  EXPECT_EQ(tabella, soluzione);
  EXPECT_EQ(passi[0][0], 10001);
  EXPECT_EQ(classifica, 4);
}

} // namespace
