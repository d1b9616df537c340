// Runs disturbed while they write their pages, or kept from them (POSIX
// only): stopped by a signal, a folder planted at the step page's name, an
// out.html that cannot be replaced, a second run in the same folder, a
// standard error nobody reads, too little memory. Whatever happens, the
// folder holds one run's pair of pages (the earlier one or the new one), no
// page cut off and no partial file.
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
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";
const std::string VECCHIA = "pagina di una corsa precedente\n";
const fs::path NOVE = fs::path(SUDOKU_DATI_TEST) / "casi" / "nove";

// A 100 x 100 with 300 cells to deduce: its step page takes long enough to
// act while it is written.
std::string cento() {
  std::string testo;
  for (int i = 0; i < 100; ++i)
    for (int j = 0; j < 100; ++j) {
      const int v = (10 * (i % 10) + i / 10 + j) % 100 + 1;
      testo += std::to_string((i * 7 + j) % 33 == 0 ? 0 : v) + (j < 99 ? " " : "\n");
    }
  return testo;
}

void paginevecchie(const std::string &d) {
  for (const char *p : {"out.html", "out4F.html"})
    generatore::scrivitutto(d + "/" + p, VECCHIA);
}

// Both pages are still the earlier run's (said briefly: a page of the
// 100 x 100 is megabytes long).
testing::AssertionResult vecchie(const Corsa &c) {
  if (c.out == VECCHIA && c.out4f == VECCHIA)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "out.html " << c.out.value_or("(none)").size() << " bytes, out4F.html "
         << c.out4f.value_or("(none)").size() << " bytes";
}

// Runs the 100 x 100 among the pages of an earlier run and acts on the
// step page's partial file at first sight.
void mentrescrive(const std::function<void(const std::string &, int pid)> &azione, Corsa &c) {
  std::atomic<bool> finita = false, agito = false;
  std::thread sentinella;
  c = esegui(cento(), {"-i", "in.txt"}, [&](const std::string &d) {
    paginevecchie(d);
    sentinella = std::thread([&, d] {
      const std::string parziale = "out4F.html.parziale-";
      while (!finita && !agito) {
        std::error_code ec;
        for (const auto &v : fs::directory_iterator(d, ec))
          if (const std::string nome = v.path().filename().string(); nome.starts_with(parziale)) {
            azione(d, std::stoi(nome.substr(parziale.size())));
            agito = true;
            break;
          }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  });
  finita = true;
  sentinella.join();
  ASSERT_TRUE(agito) << "the run ended before its step page was seen";
}

// Every signal whose default action ends the process; those that dump core
// would leave one in the folder where cores are written there.
TEST(Robustezza, SegnaliDuranteLaScrittura) {
  rlimit prima{};
  getrlimit(RLIMIT_CORE, &prima);
  const rlimit nessuno{0, prima.rlim_max};
  setrlimit(RLIMIT_CORE, &nessuno);
  for (const int segnale : {SIGTERM, SIGHUP, SIGQUIT, SIGXCPU, SIGUSR1}) {
    SCOPED_TRACE(strsignal(segnale));
    Corsa c;
    mentrescrive([segnale](const std::string &, int pid) { kill(pid, segnale); }, c);
    EXPECT_EQ(c.stato, -1); // ended by the signal
    EXPECT_TRUE(vecchie(c));
    EXPECT_EQ(c.altrifile, std::vector<std::string>{});
  }
  setrlimit(RLIMIT_CORE, &prima);
}

TEST(Robustezza, RinominaImpossibile) {
  Corsa c;
  mentrescrive(
      [](const std::string &d, int) {
        fs::remove(d + "/out4F.html");
        fs::create_directory(d + "/out4F.html");
        generatore::scrivitutto(d + "/out4F.html/dentro", "x");
      },
      c);
  EXPECT_EQ(c.stato, 2);
  EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out4F.html\n" + FINE))
      << c.errori;
  EXPECT_TRUE(c.out == VECCHIA) << "out.html: " << c.out.value_or("(none)").size() << " bytes";
  EXPECT_FALSE(c.out4f);
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

// The user the program runs as when the test is root, so that the rights
// of a folder bind it; -1 when the test is not root or that user cannot run
// the program here (a build inside a folder closed to others).
long altroutente() {
  if (geteuid() != 0)
    return -1;
  Condizioni condizioni;
  condizioni.utente = 65534;
  const Corsa c = esegui(std::nullopt, {"-i", "in.txt"}, {}, condizioni);
  return c.stato == 2 ? condizioni.utente : -1;
}

// Sets or clears the immutable flag of a file; false where it cannot.
bool immutabile(const std::string &nome, bool si) {
  const int fd = open(nome.c_str(), O_RDONLY);
  int a = 0;
  const bool fatto =
      fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &a) == 0 &&
      (a = si ? a | FS_IMMUTABLE_FL : a & ~FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &a) == 0);
  return (fd < 0 || close(fd) == 0) && fatto;
}

// out.html cannot be replaced once the step page is in place: it belongs to
// another user of a shared (sticky) folder, or it is immutable. Both
// earlier pages stay, the step page too, or its absence.
TEST(Robustezza, OutHtmlInsostituibile) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root";
  const long utente = altroutente();
  // A shared folder with and without an earlier step page, then an
  // immutable out.html.
  for (int k = 0; k < 3; ++k) {
    const bool condivisa = k < 2, conpassi = k != 1;
    SCOPED_TRACE(k);
    if (condivisa && utente < 0)
      continue; // no second user able to run the program
    std::string cartella;
    bool fissata = true;
    Condizioni condizioni;
    condizioni.utente = condivisa ? utente : -1;
    const Corsa c = esegui(
        generatore::leggitutto((NOVE / "in.txt").string()), {"-i", "in.txt"},
        [&](const std::string &d) {
          cartella = d;
          chmod(d.c_str(), 01777);
          paginevecchie(d);
          const std::string passi = d + "/out4F.html";
          if (!conpassi)
            fs::remove(passi);
          else if (condivisa && chown(passi.c_str(), utente, utente) != 0)
            ADD_FAILURE() << "chown";
          if (!condivisa)
            fissata = immutabile(d + "/out.html", true);
        },
        condizioni);
    if (!condivisa) {
      immutabile(cartella + "/out.html", false);
      fs::remove_all(cartella);
      if (!fissata)
        continue; // a file system without the flag
    }
    EXPECT_EQ(c.stato, 2);
    EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out.html\n" + FINE))
        << c.errori;
    EXPECT_EQ(c.out, VECCHIA);
    EXPECT_EQ(c.out4f, conpassi ? std::optional(VECCHIA) : std::nullopt);
    EXPECT_EQ(c.altrifile, std::vector<std::string>{});
  }
}

// A folder that some who may write cannot read (mode 333): while another
// run holds the lock, a run waits before it puts its pages in place, be it
// able to read the folder (root) or not.
TEST(Robustezza, SerraturaInCartellaIlleggibile) {
  std::vector<long> utenti{-1};
  if (const long altro = altroutente(); altro >= 0)
    utenti.push_back(altro);
  for (const long utente : utenti) {
    SCOPED_TRACE(utente);
    std::thread tenuta;
    bool intatte = false;
    Condizioni condizioni;
    condizioni.utente = utente;
    const Corsa c = esegui(
        generatore::leggitutto((NOVE / "in.txt").string()), {"-i", "in.txt"},
        [&](const std::string &d) {
          paginevecchie(d);
          const int fd =
              open((d + "/out.html.serratura").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0444);
          ASSERT_EQ(flock(fd, LOCK_EX), 0);
          chmod(d.c_str(), 0333);
          tenuta = std::thread([&intatte, d, fd] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            // A run that did not wait may be over, and its folder gone.
            const auto vecchia = [&d](const char *nome) {
              const std::string pagina = d + "/" + nome;
              return fs::exists(pagina) && generatore::leggitutto(pagina) == VECCHIA;
            };
            intatte = vecchia("out.html") && vecchia("out4F.html");
            chmod(d.c_str(), 0777); // readable again, for what the run left
            close(fd);
          });
        },
        condizioni);
    tenuta.join();
    EXPECT_TRUE(intatte) << "the pages moved while the lock was held";
    EXPECT_EQ(c.stato, 1);
    EXPECT_NE(c.out, VECCHIA);
    EXPECT_NE(c.out4f, VECCHIA);
    EXPECT_EQ(c.altrifile, std::vector<std::string>{});
  }
}

// A 9 x 9 run from start to end in the folder while the 100 x 100, held
// still, is halfway through its step page: the 100 x 100 puts its pages in
// place last, and the two pages are its own.
TEST(Robustezza, DueCorseInUnaCartella) {
  int seconda = -1;
  Corsa c;
  mentrescrive(
      [&](const std::string &d, int pid) {
        kill(pid, SIGSTOP);
        generatore::scrivitutto(d + "/nove.txt",
                                generatore::leggitutto((NOVE / "in.txt").string()));
        seconda = eseguiancora(d, {"-i", "nove.txt"});
        kill(pid, SIGCONT);
      },
      c);
  EXPECT_EQ(c.stato, 1);
  EXPECT_EQ(seconda, 1);
  ASSERT_TRUE(c.out && c.out4f);
  EXPECT_NE(c.out->find("Grandezza tabella: 100 x 100"), std::string::npos);
  EXPECT_GT(c.out4f->size(), std::size_t{1} << 20); // the 100 x 100 replay, not the 9 x 9's
  EXPECT_EQ(c.altrifile, std::vector<std::string>{"nove.txt"});
}

// Standard error a pipe whose reader has gone: the console is lost, the
// run is not.
TEST(Robustezza, ErroreSenzaLettore) {
  int tubo[2];
  ASSERT_EQ(pipe(tubo), 0);
  close(tubo[0]);
  Condizioni condizioni;
  condizioni.errori = tubo[1];
  const Corsa c =
      esegui(generatore::leggitutto((NOVE / "in.txt").string()), {"-i", "in.txt"}, {}, condizioni);
  close(tubo[1]);
  EXPECT_EQ(c.stato, 1);
  ASSERT_TRUE(c.out && c.out4f);
  EXPECT_EQ(senzatempo(*c.out), senzatempo(generatore::leggitutto((NOVE / "out.html").string())));
  EXPECT_EQ(*c.out4f, generatore::leggitutto((NOVE / "out4F.html").string()));
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

// Address space limits (KiB) under which a 100 x 100 cannot be solved, or
// its step page cannot be written: a message, and the earlier pages kept.
TEST(Robustezza, MemoriaInsufficiente) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizer's own mappings need more than these limits";
#endif
  struct Caso {
    std::string puzzle;
    long limite;
    std::string messaggio;
  };
  // The empty 100 x 100 grid's search needs several times the limit, which
  // reading it fits well within; the step page of cento() needs more than
  // its limit, which its search fits within.
  const std::string vuota =
      generatore::testopuzzle(generatore::Griglia(100, std::vector<int>(100, 0)));
  for (const Caso &k : {
           Caso{vuota, 12000, "Memoria insufficiente: impossibile risolvere il puzzle.\n"},
           Caso{cento(), 5000, "Memoria insufficiente: impossibile scrivere le pagine.\n"},
       }) {
    SCOPED_TRACE(k.messaggio);
    Condizioni condizioni;
    condizioni.memoriakb = k.limite;
    const Corsa c = esegui(k.puzzle, {"-i", "in.txt"}, paginevecchie, condizioni);
    EXPECT_EQ(c.stato, 2);
    EXPECT_TRUE(c.errori.ends_with(k.messaggio))
        << c.errori.substr(c.errori.size() - std::min<std::size_t>(c.errori.size(), 300));
    EXPECT_TRUE(vecchie(c));
    EXPECT_EQ(c.altrifile, std::vector<std::string>{});
  }
}

// Just above the least address space the program linked with the shared
// runtimes can start in, the runtime has no memory left for throwing: a
// run still ends with the message and status 2, or solves the puzzle (or
// the loader fails again, 127: the program never ran).
TEST(Robustezza, MemoriaAllAvvio) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(SUDOKU_BIN_CONDIVISO)
  GTEST_SKIP() << "the sanitizer's own mappings need more than these limits";
#else
  Condizioni condizioni;
  condizioni.programma = SUDOKU_BIN_CONDIVISO;
  const auto corsa = [&](long limite) {
    condizioni.memoriakb = limite;
    return esegui(generatore::leggitutto((NOVE / "in.txt").string()), {"-i", "in.txt"},
                  paginevecchie, condizioni);
  };
  // Below the least the loader fails (127), above it the program runs.
  long nonparte = 1024, parte = 1 << 16;
  while (parte - nonparte > 4) {
    const long mezzo = (nonparte + parte) / 2;
    (corsa(mezzo).stato == 127 ? nonparte : parte) = mezzo;
  }
  for (long limite = parte; limite < parte + 1024; limite += 8) {
    SCOPED_TRACE(limite);
    const Corsa c = corsa(limite);
    const bool esaurita = c.errori.find("Memoria insufficiente: impossibile ") != std::string::npos;
    ASSERT_TRUE(c.stato == 1 || c.stato == 127 || (c.stato == 2 && esaurita && vecchie(c)))
        << c.stato << " " << c.errori;
    ASSERT_EQ(c.altrifile, std::vector<std::string>{});
  }
#endif
}

} // namespace
#endif
