// End-to-end runs with hostile input and folders (POSIX only: named pipes,
// links, signals): a reader whose memory and reading stop at the first
// fault, and pages that replace the earlier ones whole or not at all.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "esecuzione.h"
#include "generatore.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";
const std::string VECCHIA = "pagina di una corsa precedente\n";

// Puzzle files streamed through a named pipe: a first piece, a unit
// repeated, a last piece. A refusal must come after reading little more
// than the fault; an accepted file is read to its end. Either way the
// program's memory stays far below the file's size.
TEST(Robustezza, LetturaInMemoriaLimitata) {
  const struct {
    const char *inizio, *unita;
    long long volte;
    const char *fine;
    bool tutto;         // the whole file must be read
    const char *errore; // what follows "FILE:", or nullptr when solved
  } casi[] = {
      {"", "0 ", 20'000'000, "\n", false,
       "1:201: errore: troppi valori sulla prima riga (al massimo 100)"},
      {"", "0", 20'000'000, "\n", false,
       "1:101: errore: troppi valori sulla prima riga (al massimo 100)"},
      {"1", " ", 20'000'000, "\n", true, nullptr},
      {"1\n", "\n", 20'000'000, "", true, nullptr},
      {"1\n", "\n", 20'000'000, "x\n", true,
       "20000002:1: errore: contenuto dopo l'ultima riga della tabella (le righe sono 1)"},
      {"0 0 0 ", "9", 20'000'000, "\n", true,
       "1:7: errore: valore 9999999999... fuori dall'intervallo 0..4"},
  };
  std::signal(SIGPIPE, SIG_IGN);
  for (const auto &caso : casi) {
    SCOPED_TRACE(std::string(caso.inizio) + caso.unita + "...");
    const std::string cartella =
        fs::temp_directory_path() / ("sudoku-flusso-" + std::to_string(getpid()));
    fs::create_directories(cartella);
    const std::string tubo = cartella + "/puzzle";
    ASSERT_EQ(mkfifo(tubo.c_str(), 0600), 0);
    const long long totale = static_cast<long long>(std::strlen(caso.unita)) * caso.volte;
    long long scritti = 0;
    std::thread scrittore([&] {
      const int fd = open(tubo.c_str(), O_WRONLY);
      std::string blocco;
      while (blocco.size() < (1u << 16))
        blocco += caso.unita;
      bool aperto = write(fd, caso.inizio, std::strlen(caso.inizio)) >= 0;
      while (aperto && scritti < totale) {
        const ssize_t n =
            write(fd, blocco.data(), std::min<long long>(totale - scritti, blocco.size()));
        if ((aperto = n > 0))
          scritti += n;
      }
      if (aperto)
        aperto = write(fd, caso.fine, std::strlen(caso.fine)) >= 0;
      close(fd);
    });
    const Corsa c = esegui("", {"-i", tubo});
    scrittore.join();
    fs::remove_all(cartella);
    EXPECT_EQ(c.stato, caso.errore ? 2 : 1);
    EXPECT_EQ(c.errori, caso.errore ? tubo + ":" + caso.errore + "\n" : c.errori);
    if (caso.tutto) {
      EXPECT_EQ(scritti, totale);
    } else {
      EXPECT_LT(scritti, 4 << 20) << "bytes taken past the fault";
    }
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(c.memoriakb, 16 * 1024);
#endif
  }
  const Corsa c = esegui("", {"-i", "/dev/zero"});
  EXPECT_EQ(c.stato, 2);
  EXPECT_EQ(c.errori, "/dev/zero:1:1: errore: carattere non ammesso (byte 0x00)\n");
}

// A link planted at each page's name is replaced; the files it points at
// stay as they were.
TEST(Robustezza, CollegamentiAlPostoDellePagine) {
  const std::string altrove =
      fs::temp_directory_path() / ("sudoku-altrove-" + std::to_string(getpid()));
  fs::create_directories(altrove);
  const Corsa c = esegui("1 2 3 0\n", {"-i", "in.txt"}, [&](const std::string &d) {
    for (const char *pagina : {"out.html", "out4F.html"}) {
      generatore::scrivitutto(altrove + "/" + pagina, VECCHIA);
      fs::create_symlink(altrove + "/" + pagina, d + "/" + pagina);
    }
  });
  EXPECT_EQ(c.stato, 1);
  EXPECT_EQ(generatore::leggitutto(altrove + "/out.html"), VECCHIA);
  EXPECT_EQ(generatore::leggitutto(altrove + "/out4F.html"), VECCHIA);
  fs::remove_all(altrove);
  ASSERT_TRUE(c.out && c.out4f);
  EXPECT_NE(c.out, VECCHIA);
  EXPECT_NE(c.out4f, VECCHIA);
}

// A 100 x 100 with 300 cells to deduce: its step page takes long enough to
// act while it is written, on the partial file's first sight.
void mentrescrive(const std::function<void(const std::string &, int pid)> &azione, Corsa &c) {
  std::string testo;
  for (int i = 0; i < 100; ++i)
    for (int j = 0; j < 100; ++j) {
      const int v = (10 * (i % 10) + i / 10 + j) % 100 + 1;
      testo += std::to_string((i * 7 + j) % 33 == 0 ? 0 : v) + (j < 99 ? " " : "\n");
    }
  std::atomic<bool> finita = false, agito = false;
  std::thread sentinella;
  c = esegui(testo, {"-i", "in.txt"}, [&](const std::string &d) {
    sentinella = std::thread([&, d] {
      const std::string parziale = "out4F.html.parziale-";
      while (!finita && !agito) {
        std::error_code ec;
        for (const auto &v : fs::directory_iterator(d, ec))
          if (const std::string nome = v.path().filename().string(); nome.starts_with(parziale)) {
            azione(d, std::stoi(nome.substr(parziale.size())));
            agito = true;
          }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  });
  finita = true;
  sentinella.join();
  ASSERT_TRUE(agito) << "the run ended before its step page was seen";
}

TEST(Robustezza, InterruzioneDuranteLaScrittura) {
  Corsa c;
  mentrescrive([](const std::string &, int pid) { kill(pid, SIGTERM); }, c);
  EXPECT_EQ(c.stato, -1); // ended by the signal
  EXPECT_FALSE(c.out4f);
  EXPECT_TRUE(c.out && c.out->ends_with("</body></html>\n"));
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

TEST(Robustezza, RinominaImpossibile) {
  Corsa c;
  mentrescrive(
      [](const std::string &d, int) {
        fs::create_directory(d + "/out4F.html");
        generatore::scrivitutto(d + "/out4F.html/dentro", "x");
      },
      c);
  EXPECT_EQ(c.stato, 2);
  EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out4F.html\n" + FINE))
      << c.errori;
  EXPECT_FALSE(c.out4f);
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

} // namespace
#endif
