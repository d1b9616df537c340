// End-to-end runs where the input or the pages cannot be used: one clear
// message, status 2, and never a page from a refused puzzle.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "esecuzione.h"

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

void nientepagine(const Corsa &c) {
  EXPECT_FALSE(c.out);
  EXPECT_FALSE(c.out4f);
  EXPECT_EQ(c.uscita, "");
}

TEST(Rifiuti, FileMancante) {
  Corsa c = esegui(std::nullopt, {"-i", "manca.txt"});
  EXPECT_EQ(c.stato, 2);
  EXPECT_EQ(c.errori, acapo("Errore nell'apertura del file manca.txt\n"));
  nientepagine(c);

  c = esegui(std::nullopt, {});
  EXPECT_EQ(c.stato, 2);
  EXPECT_EQ(c.errori, acapo("Errore nell'apertura del file in.txt\n"));
  nientepagine(c);
}

TEST(Rifiuti, CartellaAlPostoDelFile) {
  const Corsa c = esegui(std::nullopt, {"-i", "cartella"}, [](const std::string &d) {
    std::filesystem::create_directory(d + "/cartella");
  });
  EXPECT_EQ(c.stato, 2);
  EXPECT_EQ(c.errori, acapo("Errore nell'apertura del file cartella\n"));
  nientepagine(c);
}

TEST(Rifiuti, OpzioneSenzaNomeDiFile) {
  const Corsa c = esegui("1 2 3 0\n", {"-i"});
  EXPECT_EQ(c.stato, 2);
  EXPECT_NE(c.errori.find("-i"), std::string::npos);
  EXPECT_EQ(c.errori.find("Tabella"), std::string::npos);
  nientepagine(c);
}

TEST(Rifiuti, PrimoIVinceEGliAltriArgomentiSonoIgnorati) {
  const Corsa c = esegui("0 0\n", {"-x", "-i", "in.txt", "-i", "manca.txt", "altro"});
  EXPECT_EQ(c.stato, 1);
  EXPECT_TRUE(c.out && c.out4f);
}

TEST(Rifiuti, NomeDiFileLunghissimo) {
  const std::string nome(240, 'p');
  const Corsa c = esegui(std::nullopt, {"-i", nome + "/" + nome + "/x.txt"});
  EXPECT_EQ(c.stato, 2);
  EXPECT_EQ(c.errori, acapo("Errore nell'apertura del file " + nome + "/" + nome + "/x.txt\n"));
}

TEST(Rifiuti, PuzzleMalformatoUnaRigaConPosizione) {
  const struct {
    const char *testo;
    const char *inizio;
  } casi[] = {
      {"", "in.txt:1:1: errore: "},
      {"1 2 3 0", "in.txt:1:8: errore: "},
      {"1 2 3 0\n0 0 0 0 0\n", "in.txt:2:9: errore: "},
      {"1 2 3 0\n0 0 7 0\n", "in.txt:2:5: errore: "},
      {"1 2 3 0\n0 1\n", "in.txt:2:3: errore: "},
      {"0 0 0 0 0\n", "in.txt:1:1: errore: "},
      {"1 2 3 0\n\n\n\n\nx\n", "in.txt:6:1: errore: "},
      {"1 2 3 0\r\n0\t0\r\n", "in.txt:2:2: errore: "},
  };
  for (const auto &caso : casi) {
    SCOPED_TRACE(caso.testo);
    const Corsa c = esegui(std::string(caso.testo));
    EXPECT_EQ(c.stato, 2);
    EXPECT_TRUE(c.errori.starts_with(caso.inizio)) << c.errori;
    EXPECT_EQ(std::count(c.errori.begin(), c.errori.end(), '\n'), 1) << c.errori;
    nientepagine(c);
  }
}

TEST(Rifiuti, PuzzleConFineRigaWindowsSiLeggeComeSuLinux) {
  const Corsa unix = esegui("1 2 3 0\n\n\n\n");
  const Corsa windows = esegui("1 2 3 0\r\n\r\n\r\n\r\n");
  EXPECT_EQ(windows.stato, 1);
  EXPECT_EQ(windows.errori, unix.errori);
  EXPECT_EQ(windows.out4f, unix.out4f);
}

TEST(Rifiuti, PaginaDellaSoluzioneNonCreabile) {
  // A folder in the way fails for anyone, root included.
  const Corsa c = esegui("1 2 3 0\n", {"-i", "in.txt"}, [](const std::string &d) {
    std::filesystem::create_directory(d + "/out.html");
  });
  EXPECT_EQ(c.stato, 2);
  EXPECT_NE(c.errori.find(acapo("Sottoramo Principale 4\n"
                                "Errore nell'apertura del file out.html\n" +
                                FINE)),
            std::string::npos)
      << c.errori;
  EXPECT_FALSE(c.out4f); // nothing more is written after the first page failed
}

TEST(Rifiuti, PaginaDeiPassiNonCreabile) {
  const Corsa c = esegui("1 2 3 0\n", {"-i", "in.txt"}, [](const std::string &d) {
    std::filesystem::create_directory(d + "/out4F.html");
  });
  EXPECT_EQ(c.stato, 2);
  EXPECT_TRUE(c.errori.ends_with(acapo("Sottoramo Principale 4\n"
                                       "Errore nell'apertura del file out4F.html\n" +
                                       FINE)))
      << c.errori;
  EXPECT_TRUE(c.out);
}

} // namespace
