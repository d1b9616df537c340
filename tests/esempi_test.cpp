// End-to-end runs of the program on the worked examples, compared byte for
// byte where the outcome is known exactly.
#include <gtest/gtest.h>

#include <string>

#include "esecuzione.h"

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

int conta(const std::string &testo, const std::string &pezzo) {
  int n = 0;
  for (auto p = testo.find(pezzo); p != std::string::npos; p = testo.find(pezzo, p + 1))
    ++n;
  return n;
}

TEST(Esempi, QuattroPerQuattroConPrimaRigaUnoDueTre) {
  const Corsa c = esegui("1 2 3 0\n");
  EXPECT_EQ(c.stato, 1);
  EXPECT_EQ(c.uscita, "");
  EXPECT_EQ(c.errori, acapo("\nTabella iniziale:\n\n"
                            " 1  2  3  0 \n 0  0  0  0 \n 0  0  0  0 \n 0  0  0  0 \n\n"
                            "Numeri inseriti con la tecnica dello sliding (cancella): 1.\n\n"
                            "Tabella aggiornata:\n\n"
                            " 1  2  3  4 \n 0  0  0  0 \n 0  0  0  0 \n 0  0  0  0 \n\n"
                            "Sottoramo Principale 4\n" +
                            FINE));
  ASSERT_TRUE(c.out && c.out4f);

  // Steps in order: (row, column) 1-based, value, kind of reason.
  const char *const atteso[] = {
      "  1\xB0 numero trovato (1,4):  4 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      "  2\xB0 numero trovato (2,1):  4 (Numero imposto arbitrariamente)",
      "  3\xB0 numero trovato (2,2):  3 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      "  4\xB0 numero trovato (2,3):  2 (Numero imposto arbitrariamente)",
      "  5\xB0 numero trovato (2,4):  1 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      "  6\xB0 numero trovato (3,1):  3 (Numero imposto arbitrariamente)",
      "  7\xB0 numero trovato (3,4):  2 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      "  8\xB0 numero trovato (4,1):  2 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      "  9\xB0 numero trovato (4,4):  3 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      " 10\xB0 numero trovato (3,2):  4 (Numero imposto arbitrariamente)",
      " 11\xB0 numero trovato (3,3):  1 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      " 12\xB0 numero trovato (4,2):  1 (Numero determinato univocamente - Unico possibile di "
      "riga)",
      " 13\xB0 numero trovato (4,3):  4 (Numero determinato univocamente - Unico possibile di "
      "riga)",
  };
  std::size_t da = 0;
  for (const char *riga : atteso) {
    const auto p = c.out4f->find(acapo(std::string("<br>") + riga + "<br><br>\n"), da);
    ASSERT_NE(p, std::string::npos) << riga;
    da = p;
  }
  const std::string regola = "</p><hr width=600 size=3 color=red><p align=center><br>";
  EXPECT_EQ(conta(*c.out4f, regola), 4);
  for (const char *passo : {"  2\xB0", "  4\xB0", "  6\xB0", " 10\xB0"})
    EXPECT_NE(c.out4f->find(regola + passo), std::string::npos) << passo;

  // The first board: step 1 in red, the shaded boxes white, the rest empty.
  const std::string primatavola =
      "<TABLE border=1 cellpadding=5 align=center>\n\n"
      "<tr>\n\n<td bgcolor=white>1</td>\n<td bgcolor=white>2</td>\n<td>3</td>\n"
      "<td bgcolor=red>4</td>\n</tr>\n\n"
      "<tr>\n\n<td bgcolor=white>&nbsp;</td>\n<td bgcolor=white>&nbsp;</td>\n<td>&nbsp;</td>\n"
      "<td>&nbsp;</td>\n</tr>\n\n"
      "<tr>\n\n<td>&nbsp;</td>\n<td>&nbsp;</td>\n<td bgcolor=white>&nbsp;</td>\n"
      "<td bgcolor=white>&nbsp;</td>\n</tr>\n\n"
      "<tr>\n\n<td>&nbsp;</td>\n<td>&nbsp;</td>\n<td bgcolor=white>&nbsp;</td>\n"
      "<td bgcolor=white>&nbsp;</td>\n</tr>\n\n"
      "</table><br>\n\n";
  EXPECT_NE(c.out4f->find(acapo(atteso[0] + std::string("<br><br>\n") + primatavola)),
            std::string::npos);

  const std::string iniziale =
      "<br><br><h1 align=center>Soluzione passo per passo</h1><br><p align=center>"
      "<br><b>Tabella iniziale:</b><br><br><TABLE border=1 cellpadding=5 align=center>\n\n"
      "<tr>\n\n<td bgcolor=white>1</td><td bgcolor=white>2</td><td>3</td><td>&nbsp;</td></tr>"
      "<tr>\n\n<td bgcolor=white>&nbsp;</td><td bgcolor=white>&nbsp;</td><td>&nbsp;</td>"
      "<td>&nbsp;</td></tr>"
      "<tr>\n\n<td>&nbsp;</td><td>&nbsp;</td><td bgcolor=white>&nbsp;</td>"
      "<td bgcolor=white>&nbsp;</td></tr>"
      "<tr>\n\n<td>&nbsp;</td><td>&nbsp;</td><td bgcolor=white>&nbsp;</td>"
      "<td bgcolor=white>&nbsp;</td></tr>"
      "</table><br><br>\n\n<br>  1\xB0";
  EXPECT_NE(c.out4f->find(acapo(iniziale)), std::string::npos);
  EXPECT_TRUE(c.out4f->ends_with(acapo("</tr>\n\n</table><br>\n\n</p>\n</body></html>\n")));

  EXPECT_EQ(
      senzatempo(*c.out),
      acapo("<html>\n<head>\n<META NAME=\"DC.Title\" CONTENT=\"Sudoku\">\n"
            "<META NAME=\"description\" CONTENT=\"Output del programma per la risoluzione del "
            "Sudoku di Brunalvio\">\n<META NAME=\"keywords\" CONTENT=\"sudoku,brunalvio\">\n\n"
            "<title>Sudoku</title>\n\n</head><body>\n\n"
            "<body bgcolor=\"#006600\" text=black link=\"#000000\" vlink=\"#000000\" "
            "alink=\"#0000aa\">\n<br><br>\n<h1 align=\"center\">Soluzione Sudoku</h1>\n<br>\n\n"
            "<TABLE border=1 cellpadding=5 align=center>\n\n"
            "<tr><td align=center bgcolor=\"#007700\">1</td> <td align=center "
            "bgcolor=\"#007700\">2</td> <td align=center>3</td> <td align=center><font "
            "color=red>4</font></td> </tr>\n"
            "<tr><td align=center bgcolor=\"#007700\"><font color=red>4</font></td> <td "
            "align=center bgcolor=\"#007700\"><font color=red>3</font></td> <td align=center><font "
            "color=red>2</font></td> <td align=center><font color=red>1</font></td> </tr>\n"
            "<tr><td align=center><font color=red>3</font></td> <td align=center><font "
            "color=red>4</font></td> <td align=center bgcolor=\"#007700\"><font "
            "color=red>1</font></td> <td align=center bgcolor=\"#007700\"><font "
            "color=red>2</font></td> </tr>\n"
            "<tr><td align=center><font color=red>2</font></td> <td align=center><font "
            "color=red>1</font></td> <td align=center bgcolor=\"#007700\"><font "
            "color=red>4</font></td> <td align=center bgcolor=\"#007700\"><font "
            "color=red>3</font></td> </tr>\n"
            "</table><br><br>\nGrandezza tabella: 4 x 4<br>\n"
            "Tempo della CPU impiegato: # secondi<br>\n"
            "<a href=\"out4F.html\">Guarda la soluzione passo per passo</a><br>\n"
            "</body></html>\n"));
  // "%7.3lf" of a small CPU time: spaces, digits, a point and three decimals.
  const auto t = c.out->find("impiegato: ");
  ASSERT_NE(t, std::string::npos);
  EXPECT_EQ(c.out->substr(t + 11 + 7, 9), " secondi<");
  EXPECT_EQ(c.out->at(t + 11 + 3), '.');
}

TEST(Esempi, NovePerNoveCinquantacinquePassi) {
  const Corsa c = esegui("0 0 0 9 0 0 0 0 0\n0 0 0 0 7 4 0 0 0\n0 0 0 0 0 0 1 0 0\n"
                         "8 0 0 0 0 6 0 0 9\n2 4 0 5 8 0 0 0 3\n6 0 0 0 3 0 0 5 0\n"
                         "0 0 0 0 4 5 9 0 0\n0 9 4 8 1 0 0 6 2\n0 0 0 0 0 7 0 4 0\n");
  EXPECT_EQ(c.stato, 1);
  EXPECT_NE(c.errori.find(acapo("Numeri inseriti con la tecnica dello sliding (cancella): 2.\n\n"
                                "Tabella aggiornata:\n\n"
                                " 0  0  0  9  0  0  0  0  0 \n 0  0  0  0  7  4  0  0  0 \n"
                                " 0  0  0  0  0  0  1  0  0 \n 8  0  0  0  0  6  0  0  9 \n"
                                " 2  4  0  5  8  0  6  0  3 \n 6  0  0  0  3  0  0  5  0 \n"
                                " 0  0  0  0  4  5  9  0  0 \n 0  9  4  8  1  0  0  6  2 \n"
                                " 0  0  0  0  9  7  0  4  0 \n\n")),
            std::string::npos);
  ASSERT_TRUE(c.out4f);
  EXPECT_EQ(conta(*c.out4f, " numero trovato ("), 55);
  EXPECT_NE(c.out4f->find("<br>  1\xB0 numero trovato (5,7):  6 (Numero determinato "
                          "univocamente - Unico possibile di riga)"),
            std::string::npos);
  EXPECT_NE(c.out4f->find("<br>  2\xB0 numero trovato (9,5):  9 (Numero determinato "
                          "univocamente - Unico possibile di riga)"),
            std::string::npos);
  EXPECT_NE(c.out4f->find("<br> 55\xB0 numero trovato ("), std::string::npos);
  EXPECT_EQ(c.out4f->find("<br> 56\xB0"), std::string::npos);
  EXPECT_TRUE(c.errori.ends_with(acapo(FINE)));
}

TEST(Esempi, DuePerDueVuotaRisoltaDallaDeduzione) {
  const Corsa c = esegui("0 0\n");
  EXPECT_EQ(c.stato, 1);
  EXPECT_EQ(c.errori, acapo("\nTabella iniziale:\n\n 0  0 \n 0  0 \n\n"
                            "Numeri inseriti con la tecnica dello sliding (cancella): 4.\n\n"
                            "Tabella aggiornata:\n\n 1  2 \n 2  1 \n\n" +
                            FINE));
  ASSERT_TRUE(c.out4f);
  for (const char *riga : {"  1\xB0 numero trovato (1,1):  1 (Numero determinato univocamente - "
                           "Unico possibile del quadrato)",
                           "  2\xB0 numero trovato (2,2):  1 (Numero determinato univocamente - "
                           "Unico possibile di riga)",
                           "  3\xB0 numero trovato (1,2):  2 (Numero determinato univocamente - "
                           "Unico possibile di riga)",
                           "  4\xB0 numero trovato (2,1):  2 (Numero determinato univocamente - "
                           "Unico possibile di riga)"})
    EXPECT_NE(c.out4f->find(riga), std::string::npos) << riga;
  EXPECT_EQ(c.out4f->find("<hr"), std::string::npos);
}

TEST(Esempi, TrePerTreVuotaSenzaSoluzione) {
  const Corsa c = esegui("0 0 0\n");
  EXPECT_EQ(c.stato, 3);
  EXPECT_EQ(c.errori, acapo("\nTabella iniziale:\n\n 0  0  0 \n 0  0  0 \n 0  0  0 \n\n"
                            "Numeri inseriti con la tecnica dello sliding (cancella): 7.\n\n"
                            "Tabella aggiornata:\n\n 1  2  3 \n 2  1  0 \n 3  0  1 \n\n"
                            "\n\nNessuna soluzione." +
                            FINE));
  EXPECT_FALSE(c.out);
  EXPECT_FALSE(c.out4f);
}

TEST(Esempi, GiaCompletaZeroPassi) {
  const std::string griglia = "1 2 3 4\n3 4 1 2\n2 1 4 3\n4 3 2 1\n";
  const Corsa c = esegui(griglia);
  EXPECT_EQ(c.stato, 1);
  EXPECT_EQ(c.errori,
            acapo("\nTabella iniziale:\n\n 1  2  3  4 \n 3  4  1  2 \n 2  1  4  3 \n"
                  " 4  3  2  1 \n\nNumeri inseriti con la tecnica dello sliding (cancella): "
                  "0.\n\nTabella aggiornata:\n\n 1  2  3  4 \n 3  4  1  2 \n 2  1  4  3 \n"
                  " 4  3  2  1 \n\n" +
                  FINE));
  ASSERT_TRUE(c.out && c.out4f);
  EXPECT_EQ(c.out->find("color=red"), std::string::npos);
  EXPECT_EQ(c.out4f->find("numero trovato"), std::string::npos);
  EXPECT_TRUE(c.out4f->ends_with(acapo("</td></tr></table><br><br>\n\n</p>\n</body></html>\n")));
}

TEST(Esempi, SenzaSoluzioneProvaOgniValoreAllaRadice) {
  // Cell (1,3) needs 3 or 4, and column 3 already holds both below it.
  const Corsa c = esegui("1 2 0 0\n0 0 0 0\n0 0 3 0\n0 0 4 0\n");
  EXPECT_EQ(c.stato, 3);
  EXPECT_FALSE(c.out);
  EXPECT_FALSE(c.out4f);
  EXPECT_TRUE(c.errori.ends_with(acapo(" 0 \n\n\n\nNessuna soluzione." + FINE))) << c.errori;
}

} // namespace
