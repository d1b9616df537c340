// Puzzle reader, command line and box geometry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/comando.h"
#include "app/lettore.h"
#include "app/stato.h"

namespace {

// Reads testo, which must be accepted.
Griglia leggi(const std::string &testo) {
  const Lettura l = leggipuzzle(testo);
  EXPECT_TRUE(l.valida) << "rifiutato " << l.riga << ":" << l.colonna << ": " << l.messaggio;
  return l.griglia;
}

// testo must be refused at riga:colonna with a one-line, printable ASCII message.
::testing::AssertionResult rifiutato(const std::string &testo, int riga, int colonna) {
  const Lettura l = leggipuzzle(testo);
  if (l.valida)
    return ::testing::AssertionFailure() << "accettato";
  if (l.riga != riga || l.colonna != colonna)
    return ::testing::AssertionFailure()
           << "rifiutato a " << l.riga << ":" << l.colonna << " invece di " << riga << ":"
           << colonna << " (" << l.messaggio << ")";
  if (l.messaggio.empty())
    return ::testing::AssertionFailure() << "messaggio vuoto";
  for (unsigned char c : l.messaggio)
    if (c < 32 || c > 126)
      return ::testing::AssertionFailure() << "byte " << int(c) << " nel messaggio";
  return ::testing::AssertionSuccess();
}

// The message names the cell (r, c), 1-based, as "(r,c)" or "(r, c)".
bool nomina(const std::string &messaggio, int r, int c) {
  const std::string a = "(" + std::to_string(r) + "," + std::to_string(c) + ")";
  const std::string b = "(" + std::to_string(r) + ", " + std::to_string(c) + ")";
  return messaggio.find(a) != std::string::npos || messaggio.find(b) != std::string::npos;
}

std::string ripeti(const std::string &s, int volte) {
  std::string r;
  for (int k = 0; k < volte; ++k)
    r += s;
  return r;
}

// A complete valid grid of side q*q.
Griglia completa(int q) {
  const int n = q * q;
  Griglia g(n, std::vector<int>(n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      g[i][j] = (i * q + i / q + j) % n + 1;
  return g;
}

std::string testodi(const Griglia &g) {
  std::string s;
  for (const auto &riga : g) {
    for (std::size_t j = 0; j < riga.size(); ++j)
      s += (j ? " " : "") + std::to_string(riga[j]);
    s += "\n";
  }
  return s;
}

const Griglia QUATTRO = {{1, 0, 0, 4}, {0, 0, 1, 0}, {0, 1, 0, 0}, {4, 0, 0, 1}};
const std::string QUATTRO_TESTO = "1 0 0 4\n0 0 1 0\n0 1 0 0\n4 0 0 1\n";

} // namespace

TEST(Lettore_Layout, FormaDiBase) {
  EXPECT_EQ(leggi(QUATTRO_TESTO), QUATTRO);
}

TEST(Lettore_Layout, SpaziMultipliEFinaliNonCambianoNulla) {
  EXPECT_EQ(leggi("1   0  0 4   \n0 0    1 0 \n0 1 0 0\n4 0 0 1     \n"), QUATTRO);
}

TEST(Lettore_Layout, ZeroChiudeIlSuoGettone) {
  EXPECT_EQ(leggi("1 004\n001 0\n01 00\n4 001\n"), QUATTRO);
  EXPECT_EQ(leggi("00 00 0000 0\n05\n"), leggi("0 0 0 0 0 0 0 0 0\n0 5\n"));
  const Griglia g = leggi("000000000\n05\n0 0 0 0 0 0 0 0 9\n");
  ASSERT_EQ(g.size(), 9u);
  EXPECT_EQ(g[0], std::vector<int>(9, 0));
  EXPECT_EQ(g[1], (std::vector<int>{0, 5, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(g[2][8], 9);
}

TEST(Lettore_Layout, DieciInUnSedici) {
  const Griglia g = leggi(ripeti("0 ", 15) + "10\n16 0 10\n");
  ASSERT_EQ(g.size(), 16u);
  EXPECT_EQ(g[0][15], 10);
  EXPECT_EQ(g[1][0], 16);
  EXPECT_EQ(g[1][2], 10);
}

TEST(Lettore_Layout, RigheMancantiECorteRestanoVuote) {
  const Griglia g = leggi("1 2 3 4 5 6 7 8 9\n4 5\n\n7\n");
  ASSERT_EQ(g.size(), 9u);
  for (const auto &riga : g)
    EXPECT_EQ(riga.size(), 9u);
  EXPECT_EQ(g[1], (std::vector<int>{4, 5, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(g[2], std::vector<int>(9, 0));
  EXPECT_EQ(g[3][0], 7);
  for (int i = 4; i < 9; ++i)
    EXPECT_EQ(g[i], std::vector<int>(9, 0));
}

TEST(Lettore_Layout, RigheVuoteFinali) {
  EXPECT_EQ(leggi(QUATTRO_TESTO + "\n\n\n\n\n"), QUATTRO);
  const std::string sei = ripeti("0 0 0 0 0 0 0 0 0\n", 6);
  const Griglia g = leggi(sei + "\n\n\n");
  EXPECT_EQ(g, Griglia(9, std::vector<int>(9, 0)));
  EXPECT_EQ(leggi(sei + "\n\n\n"), leggi(sei));
}

TEST(Lettore_Layout, CrLfComeLf) {
  std::string crlf;
  for (char c : QUATTRO_TESTO + "\n\n")
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(leggi(crlf), QUATTRO);
  EXPECT_EQ(leggi("1 0 0 4   \r\n0 0 1\r\n\r\n"), leggi("1 0 0 4   \n0 0 1\n\n"));
  EXPECT_TRUE(rifiutato("0 0 0 0\r\n0 0 0 0 0\r\n", 2, 9)); // same columns as with LF
}

TEST(Lettore_Layout, LatoUno) {
  EXPECT_EQ(leggi("1\n"), Griglia{{1}});
  EXPECT_EQ(leggi("0\n"), Griglia{{0}});
  EXPECT_EQ(leggi("1\n\n\r\n"), Griglia{{1}});
}

// A side that is not a perfect square has (N / q)^2 > N boxes: givens in the
// last ones must be told apart from the first ones.
TEST(Lettore_Layout, LatiConQuadratoCheDivide) {
  // Givens on the diagonal touch every box row, up to the last box.
  for (int n : {2, 3, 6, 8, 12}) {
    std::string testo;
    Griglia atteso(n, std::vector<int>(n, 0));
    for (int i = 0; i < n; ++i) {
      atteso[i][i] = n - i;
      for (int j = 0; j < n; ++j)
        testo += std::to_string(atteso[i][j]) + (j + 1 < n ? " " : "\n");
    }
    SCOPED_TRACE(n);
    EXPECT_EQ(leggi(testo), atteso);
  }
}

TEST(Lettore_Layout, GriglieComplete) {
  for (int q : {2, 3, 4, 10}) {
    SCOPED_TRACE(q);
    EXPECT_EQ(leggi(testodi(completa(q))), completa(q));
  }
}

// The third puzzle puts a given in box 7 of a 6 x 6, past the first N boxes.
TEST(Lettore_Layout, StessoValoreInQuadratiDiversi) {
  EXPECT_TRUE(leggipuzzle("0 0 1 0 0 0 0 0 0\n0 0 0 1\n").valida);
  EXPECT_TRUE(leggipuzzle("0 1 0 0 0 0\n0 0 1\n").valida); // 6 x 6, boxes 2 wide
  EXPECT_TRUE(leggipuzzle("0 0 0 0 0 0\n0 0 0 0 0 0\n0 0 0 0 0 0\n1\n0 0 1\n").valida);
}

TEST(Lettore_Layout, CentoValori) {
  const Griglia g = leggi(ripeti("0", 99) + "100\n" + ripeti("0 ", 99) + "99\n");
  ASSERT_EQ(g.size(), 100u);
  EXPECT_EQ(g[0][99], 100);
  EXPECT_EQ(g[1][99], 99);
}

TEST(Lettore_Rifiuti, FileVuoto) {
  EXPECT_TRUE(rifiutato("", 1, 1));
}

TEST(Lettore_Rifiuti, UltimaRigaSenzaAcapo) {
  EXPECT_TRUE(rifiutato("0 0 0 0", 1, 8));
  EXPECT_TRUE(rifiutato("1", 1, 2));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 0", 2, 4));
  // A carriage return not followed by a line feed is content, not a line end.
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + "\n\n\r", 7, 1));
  EXPECT_TRUE(leggipuzzle(QUATTRO_TESTO + "\n").valida);
}

TEST(Lettore_Rifiuti, PrimaRigaVuota) {
  EXPECT_TRUE(rifiutato("\n", 1, 1));
  EXPECT_TRUE(rifiutato("\r\n1 0 0 4\n", 1, 1));
  EXPECT_TRUE(rifiutato("\n1 0 0 4\n", 1, 1));
}

TEST(Lettore_Rifiuti, TroppiValoriSullaPrimaRiga) {
  EXPECT_TRUE(rifiutato(ripeti("0 ", 101) + "\n", 1, 201));
  EXPECT_TRUE(rifiutato(ripeti("0", 101) + "\n", 1, 101));
  EXPECT_EQ(leggi(ripeti("0", 100) + "\n").size(), 100u);
}

TEST(Lettore_Rifiuti, TroppiValoriInUnaRiga) {
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 0 1 0 0\n", 2, 9));
  EXPECT_TRUE(rifiutato("1 0 0 4\n00000\n", 2, 5));
  EXPECT_TRUE(rifiutato(ripeti("0 ", 9) + "\n1 2 3 4 5 6 7 8 9 0\n", 2, 19));
}

TEST(Lettore_Rifiuti, ContenutoDopoLUltimaRiga) {
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + "0\n", 5, 1));
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + "\n\n   \n", 7, 1));
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + "\r\r\n", 5, 1));
  EXPECT_TRUE(rifiutato("1\n\n\nx\n", 4, 1));
  EXPECT_TRUE(leggipuzzle(QUATTRO_TESTO + "\r\n\r\n").valida);
}

TEST(Lettore_Rifiuti, CarattereNonCifra) {
  EXPECT_TRUE(rifiutato("1 a 0 4\n", 1, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 0 1x\n", 2, 6));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0\t0\n", 2, 2));
  EXPECT_TRUE(rifiutato("1 0 0 4\n2\t0\n", 2, 2));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 -1\n", 2, 3));
  EXPECT_TRUE(rifiutato(std::string("1 0 0 4\n0 ") + '\0' + " 0\n", 2, 3));
  EXPECT_TRUE(rifiutato(std::string("1 0 0 4\n1") + '\0' + "\n", 2, 2));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 \xB0\n", 2, 3));
  EXPECT_TRUE(rifiutato("\xEF\xBB\xBF"
                        "1 0 0 4\n",
                        1, 1));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 +1\n", 2, 3));
}

TEST(Lettore_Rifiuti, RigaCheIniziaConSpazio) {
  EXPECT_TRUE(rifiutato(" 1 0 0 4\n", 1, 1));
  EXPECT_TRUE(rifiutato("1 0 0 4\n 0 1\n", 2, 1));
  EXPECT_TRUE(rifiutato("1 0 0 4\n \n", 2, 1)); // a row of spaces is not an empty row
}

TEST(Lettore_Rifiuti, ValoreFuoriIntervallo) {
  EXPECT_TRUE(rifiutato("1 2 3 5\n", 1, 7));
  EXPECT_TRUE(rifiutato("2\n", 1, 1));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 0 0 05\n", 2, 8));
  EXPECT_TRUE(rifiutato(ripeti("0 ", 8) + "10\n", 1, 17));
  EXPECT_TRUE(rifiutato(ripeti("0 ", 8) + "0\n50\n", 2, 1));
  EXPECT_TRUE(rifiutato(ripeti("0", 100) + "\n0 101\n", 2, 3));
}

TEST(Lettore_Rifiuti, NumeroLunghissimoSenzaTraboccare) {
  const std::string quaranta = "1" + ripeti("0", 39);
  EXPECT_TRUE(rifiutato("0 0 0 " + quaranta + "\n", 1, 7));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 " + quaranta + "\n", 2, 3));
  // Values that wrap around to 1..4 in 32 or 64 bits.
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 4294967297\n", 2, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 18446744073709551617\n", 2, 3));
  EXPECT_TRUE(rifiutato("0 0 0 4294967298\n", 1, 7));
}

TEST(Lettore_Rifiuti, LatoSenzaQuadratoCheDivide) {
  for (int n : {5, 7, 10, 11, 17, 50}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(rifiutato(ripeti("0 ", n) + "\n", 1, 1));
  }
}

TEST(Lettore_Rifiuti, CrFuoriPosto) {
  EXPECT_TRUE(rifiutato("1 0\r0 4\n", 1, 4));
  EXPECT_TRUE(rifiutato("1 0 0 4\r\r\n", 1, 8));
  EXPECT_TRUE(rifiutato("1 0 0 4\n\r0\n", 2, 1));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 1\r \n", 2, 4));
}

TEST(Lettore_Rifiuti, DatiRipetuti) {
  Lettura l = leggipuzzle("1 0 0 1\n");
  EXPECT_TRUE(rifiutato("1 0 0 1\n", 1, 7));
  EXPECT_TRUE(nomina(l.messaggio, 1, 1) && nomina(l.messaggio, 1, 4)) << l.messaggio;

  l = leggipuzzle("0 3 0 0\n0 0 0 0\n0 0 0 0\n4 3\n");
  EXPECT_TRUE(rifiutato("0 3 0 0\n0 0 0 0\n0 0 0 0\n4 3\n", 4, 3));
  EXPECT_TRUE(nomina(l.messaggio, 1, 2) && nomina(l.messaggio, 4, 2)) << l.messaggio;

  l = leggipuzzle("1 0 0 0\n0 1\n");
  EXPECT_TRUE(rifiutato("1 0 0 0\n0 1\n", 2, 3));
  EXPECT_TRUE(nomina(l.messaggio, 1, 1) && nomina(l.messaggio, 2, 2)) << l.messaggio;

  // The last box of a 9 x 9 and of a 6 x 6 (boxes 2 x 2, three per box row).
  const std::string nove = ripeti("0 ", 8) + "0\n" + ripeti("\n", 6) + ripeti("0 ", 6) + "7\n";
  l = leggipuzzle(nove + "0 0 0 0 0 0 0 7\n");
  EXPECT_TRUE(rifiutato(nove + "0 0 0 0 0 0 0 7\n", 9, 15));
  EXPECT_TRUE(nomina(l.messaggio, 8, 7) && nomina(l.messaggio, 9, 8)) << l.messaggio;
  // A repeat in the last of the nine boxes of a 6 x 6.
  EXPECT_TRUE(rifiutato("0 0 0 0 0 0\n\n\n\n0 0 0 0 6\n0 0 0 0 0 6\n", 6, 11));
}

TEST(Lettore_Rifiuti, PrimoGuastoInOrdineDiLettura) {
  EXPECT_TRUE(rifiutato("1 0 0 4\n4 0 0 4\n0 x\n", 2, 7));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 \r0\n0 9\n", 2, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 0 0 0 0 x\n", 2, 9));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 x 0 0 0\n", 2, 3));
}

// Within one line too, the fault nearest the start is reported, even when a
// bad character or a surplus token follows it.
TEST(Lettore_Rifiuti, PrimoGuastoNellaStessaRiga) {
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 9 0 x\n", 2, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 1 0 x\n", 2, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n0 9 0 0 0\n", 2, 3));
  EXPECT_TRUE(rifiutato("1 0 0 4\n1 0 0 0 0\n", 2, 1));
  EXPECT_TRUE(rifiutato(ripeti("0", 100) + "1x\n", 1, 101)); // the 101st token starts at 101
}

// A missing final line feed is reported only when nothing earlier on that
// line is wrong.
TEST(Lettore_Rifiuti, PrimoGuastoNellUltimaRigaSenzaAcapo) {
  EXPECT_TRUE(rifiutato("0 0 x 0", 1, 5));
  EXPECT_TRUE(rifiutato("1 0 0 4\n5 0", 2, 1));
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + "0", 5, 1));
  EXPECT_TRUE(rifiutato(QUATTRO_TESTO + " ", 5, 1));
}

TEST(Lettore_Messaggio, Formato) {
  Lettura l;
  l.riga = 3;
  l.colonna = 12;
  l.messaggio = "valore 7 fuori";
  EXPECT_EQ(messaggiolettura("dir/p.txt", l), "dir/p.txt:3:12: errore: valore 7 fuori\n");
  const Lettura vera = leggipuzzle("1 0 0 4\n0 0 1x\n");
  EXPECT_EQ(messaggiolettura("in.txt", vera), "in.txt:2:6: errore: " + vera.messaggio + "\n");
}

TEST(Comando, SenzaArgomenti) {
  const char *argv[] = {"sudoku", nullptr};
  const Comando c = leggicomando(1, argv);
  EXPECT_TRUE(c.valido);
  EXPECT_EQ(c.fileinput, "in.txt");
}

TEST(Comando, VinceIlPrimoMenoI) {
  const char *a[] = {"sudoku", "-i", "a.txt", "-i", "b.txt", nullptr};
  EXPECT_EQ(leggicomando(5, a).fileinput, "a.txt");
  const char *b[] = {"sudoku", "-i", "a.txt", "-i", nullptr};
  EXPECT_TRUE(leggicomando(4, b).valido);
  EXPECT_EQ(leggicomando(4, b).fileinput, "a.txt");
  const char *c[] = {"sudoku", "-i", "-i", nullptr};
  EXPECT_TRUE(leggicomando(3, c).valido);
  EXPECT_EQ(leggicomando(3, c).fileinput, "-i");
}

TEST(Comando, MenoIComeUltimo) {
  const char *a[] = {"sudoku", "x.txt", "-i", nullptr};
  const Comando c = leggicomando(3, a);
  EXPECT_FALSE(c.valido);
  EXPECT_FALSE(c.errore.empty());
}

TEST(Comando, AltriArgomentiIgnorati) {
  const char *a[] = {"sudoku", "-o", "x.txt", "-I", "y.txt", "-ix", "--i", "z", nullptr};
  const Comando c = leggicomando(8, a);
  EXPECT_TRUE(c.valido);
  EXPECT_EQ(c.fileinput, "in.txt");
  const char *b[] = {"sudoku", "-v", "-i", "p.txt", "-x", nullptr};
  EXPECT_EQ(leggicomando(5, b).fileinput, "p.txt");
}

TEST(Comando, NomeLunghissimo) {
  const std::string nome = ripeti("abcdefghij", 100);
  const char *a[] = {"sudoku", "-i", nome.c_str(), nullptr};
  const Comando c = leggicomando(3, a);
  EXPECT_TRUE(c.valido);
  EXPECT_EQ(c.fileinput, nome);
}

TEST(Geometria, LatoQuadrato) {
  EXPECT_EQ(latoquadrato(1), 1);
  EXPECT_EQ(latoquadrato(6), 2);
  EXPECT_EQ(latoquadrato(16), 4);
  EXPECT_EQ(latoquadrato(99), 9);
  EXPECT_EQ(latoquadrato(100), 10);
  for (int q = 1; q <= 10; ++q) {
    EXPECT_EQ(latoquadrato(q * q), q);
    EXPECT_EQ(latoquadrato(q * q - 1), q - 1);
  }
}

namespace {
std::vector<int> bordi(int i, int j, int q) {
  const Limiti l = limiti(i, j, q);
  return {l.minriga, l.maxriga, l.mincol, l.maxcol};
}
} // namespace

TEST(Geometria, Limiti) {
  EXPECT_EQ(bordi(4, 7, 3), (std::vector<int>{3, 6, 6, 9}));
  EXPECT_EQ(bordi(0, 0, 2), (std::vector<int>{0, 2, 0, 2}));
  EXPECT_EQ(bordi(5, 5, 2), (std::vector<int>{4, 6, 4, 6})); // last box of a 6 x 6
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j)
      EXPECT_EQ(bordi(i, j, 1), (std::vector<int>{i, i + 1, j, j + 1}));
}

TEST(Geometria, OgniCellaNelSuoQuadratoAllineato) {
  for (int n : {4, 6, 9, 12, 16, 100}) {
    const int q = latoquadrato(n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const Limiti l = limiti(i, j, q);
        ASSERT_TRUE(l.minriga <= i && i < l.maxriga && l.mincol <= j && j < l.maxcol);
        ASSERT_EQ(l.maxriga - l.minriga, q);
        ASSERT_EQ(l.maxcol - l.mincol, q);
        ASSERT_EQ(l.minriga % q, 0);
        ASSERT_EQ(l.mincol % q, 0);
        ASSERT_LE(l.maxriga, n);
        ASSERT_LE(l.maxcol, n);
      }
  }
}

namespace {
// Walks a whole n x n table as the pages do and returns the shaded cells.
std::vector<std::vector<bool>> ombre(int n) {
  Ombreggiatura o{latoquadrato(n)};
  std::vector<std::vector<bool>> r(n, std::vector<bool>(n));
  for (int i = 0; i < n; ++i) {
    o.riga(i);
    for (int j = 0; j < n; ++j)
      r[i][j] = o.cella(j);
  }
  return r;
}
} // namespace

TEST(Geometria, OmbreggiaturaNove) {
  const auto r = ombre(9);
  const std::vector<bool> prima = {1, 1, 1, 0, 0, 0, 1, 1, 1};
  const std::vector<bool> quarta = {0, 0, 0, 1, 1, 1, 0, 0, 0};
  EXPECT_EQ(r[0], prima);
  EXPECT_EQ(r[2], prima);
  EXPECT_EQ(r[3], quarta);
  EXPECT_EQ(r[6], prima);
}

TEST(Geometria, OmbreggiaturaAScacchiera) {
  for (int n : {1, 4, 6, 12, 16}) {
    const int q = latoquadrato(n);
    const auto r = ombre(n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        ASSERT_EQ(r[i][j], (i / q + j / q) % 2 == 0) << n << " " << i << " " << j;
  }
  EXPECT_EQ(ombre(16), ombre(16)); // every table starts afresh
}

TEST(Geometria, EcoGriglia) {
  EXPECT_EQ(ecogriglia({{1, 0}, {0, 2}}), " 1  0 \n 0  2 \n\n");
  EXPECT_EQ(ecogriglia({{10, 100}, {0, 9}}), "10 100 \n 0  9 \n\n");
  EXPECT_EQ(ecogriglia({{0}}), " 0 \n\n");
}

TEST(Geometria, CodiciPasso) {
  EXPECT_EQ(codicepasso(1, PASSO_RIGA), 20001);
  EXPECT_EQ(tipopasso(20001), 2);
  EXPECT_EQ(numeropasso(20001), 1);
  EXPECT_EQ(codicepasso(10000, PASSO_IPOTESI), 20000);
  EXPECT_EQ(tipopasso(20000), 1);
  EXPECT_EQ(numeropasso(20000), 10000);
  for (int k = PASSO_IPOTESI; k <= PASSO_QUADRATO; ++k)
    for (int s = 1; s <= 10000; ++s) {
      const int c = codicepasso(s, k);
      ASSERT_EQ(tipopasso(c), k);
      ASSERT_EQ(numeropasso(c), s);
    }
}
