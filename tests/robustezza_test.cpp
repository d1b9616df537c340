// Runs disturbed while they write their pages, or kept from them (POSIX
// only): stopped by a signal, a folder planted at the step page's name, an
// out.html that cannot be replaced, a second run in the same folder, locks
// held or planted by others, a standard error nobody reads, too little
// memory, faults planted at each request for memory and at the renames.
// Whatever happens, the folder holds one run's pair of pages (the earlier
// one or the new one), no page cut off, no partial file, and no copy of a
// page lost.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
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
#include <sys/xattr.h>
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

// Runs the 9 x 9 case in a folder that prepara readies.
Corsa nove(const std::function<void(const std::string &)> &prepara,
           const Condizioni &condizioni = {}) {
  return esegui(generatore::leggitutto((NOVE / "in.txt").string()), {"-i", "in.txt"}, prepara,
                condizioni);
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
void mentrescrive(const std::function<void(const std::string &, int pid)> &azione, Corsa &c,
                  const Condizioni &condizioni = {}) {
  std::atomic<bool> finita = false, agito = false;
  std::thread sentinella;
  c = esegui(
      cento(), {"-i", "in.txt"},
      [&](const std::string &d) {
        paginevecchie(d);
        sentinella = std::thread([&, d] {
          const std::string parziale = "out4F.html.parziale-";
          while (!finita && !agito) {
            std::error_code ec;
            for (const auto &v : fs::directory_iterator(d, ec))
              if (const std::string nome = v.path().filename().string();
                  nome.starts_with(parziale)) {
                azione(d, std::stoi(nome.substr(parziale.size())));
                agito = true;
                break;
              }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
          }
        });
      },
      condizioni);
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
    const Corsa c = nove(
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

const std::string ATTESA =
    "Attesa di un'altra esecuzione che sta mettendo le sue pagine in questa cartella\n";

// Gives user 65534 write and search but not read on the folder through an
// access list, the folder's bits staying 770; false where the file system
// has no lists.
bool scrivesenzaleggere(const std::string &d) {
  struct Voce {
    std::uint16_t tipo, permessi;
    std::uint32_t chi;
  };
  struct Lista {
    std::uint32_t versione = 2;
    Voce voci[5] = {
        {0x01, 7, ~0u}, {0x02, 3, 65534}, {0x04, 7, ~0u}, {0x10, 7, ~0u}, {0x20, 0, ~0u}};
  } lista;
  chmod(d.c_str(), 0770);
  return setxattr(d.c_str(), "system.posix_acl_access", &lista, sizeof lista, 0) == 0;
}

// Folders that some who may write cannot read, by their bits or by an
// access list: while another run holds the lock file (as one that cannot
// read the folder does), a run says it waits and waits before it puts its
// pages in place, be it able to read the folder (root) or not.
TEST(Robustezza, SerraturaInCartellaIlleggibile) {
  std::vector<long> utenti{-1};
  if (const long altro = altroutente(); altro >= 0)
    utenti.push_back(altro);
  for (const bool lista : {false, true})
    for (const long utente : utenti) {
      SCOPED_TRACE(std::to_string(utente) + (lista ? " access list" : " mode 333"));
      std::thread tenuta;
      bool intatte = false, senzaliste = false;
      Condizioni condizioni;
      condizioni.utente = utente;
      const Corsa c = nove(
          [&](const std::string &d) {
            paginevecchie(d);
            const int fd =
                open((d + "/out.html.serratura").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0444);
            ASSERT_EQ(flock(fd, LOCK_EX), 0);
            senzaliste = lista && !scrivesenzaleggere(d);
            if (!lista)
              chmod(d.c_str(), 0333);
            tenuta = std::thread([&intatte, d, fd] {
              std::this_thread::sleep_for(std::chrono::milliseconds(1500));
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
      if (senzaliste)
        continue; // a file system without access lists
      EXPECT_TRUE(intatte) << "the pages moved while the lock was held";
      EXPECT_EQ(c.stato, 1);
      EXPECT_NE(c.errori.find(ATTESA), std::string::npos) << c.errori;
      EXPECT_NE(c.out, VECCHIA);
      EXPECT_NE(c.out4f, VECCHIA);
      EXPECT_EQ(c.altrifile, std::vector<std::string>{});
    }
}

// In a folder another user can write but not read, a lock file planted
// where the run cannot lock it (a link to nowhere, a file or a FIFO it may
// not open): the run cannot exclude the others, so it moves no page.
TEST(Robustezza, SerraturaPiantata) {
  const long utente = altroutente();
  if (utente < 0)
    GTEST_SKIP() << "needs root and a second user able to run the program";
  for (const int tipo : {S_IFLNK, S_IFREG, S_IFIFO}) {
    SCOPED_TRACE(tipo);
    Condizioni condizioni;
    condizioni.utente = utente;
    const Corsa c = nove(
        [&](const std::string &d) {
          paginevecchie(d);
          const std::string serratura = d + "/out.html.serratura";
          ASSERT_EQ(tipo == S_IFLNK ? symlink("/nessuna/parte", serratura.c_str())
                                    : mknod(serratura.c_str(), tipo | 0600, 0),
                    0);
          chmod(d.c_str(), 0333);
        },
        condizioni);
    EXPECT_EQ(c.stato, 2);
    EXPECT_TRUE(
        c.errori.ends_with("Errore nel blocco della cartella: pagine non sostituite\n" + FINE))
        << c.errori;
    EXPECT_TRUE(vecchie(c));
    EXPECT_EQ(c.altrifile, std::vector<std::string>{"out.html.serratura"});
  }
}

// A lock held for longer than any run holds it (anyone who can read a
// folder can lock it): the run says it waits, then gives up, moving no
// page and leaving no partial file.
TEST(Robustezza, SerraturaTenutaTroppo) {
  int fd = -1;
  const auto inizio = std::chrono::steady_clock::now();
  const Corsa c = nove([&](const std::string &d) {
    paginevecchie(d);
    fd = open(d.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
  });
  close(fd);
  EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::seconds(30));
  EXPECT_EQ(c.stato, 2);
  EXPECT_TRUE(c.errori.ends_with(ATTESA +
                                 "Errore nel blocco della cartella: un'altra esecuzione la tiene "
                                 "da 30 secondi, pagine non sostituite\n" +
                                 FINE))
      << c.errori;
  EXPECT_TRUE(vecchie(c));
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
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
  const Corsa c = nove({}, condizioni);
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
  // The empty 100 x 100 grid's search needs several times its limit; the
  // step page of cento() needs more than its limit, its search less.
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

#if defined(SUDOKU_GUASTI)
// The program linked with the shared runtimes, under the faults the
// variables plant (tests/guasti.cpp).
Condizioni guasti(std::vector<std::string> ambiente) {
  Condizioni condizioni;
  condizioni.programma = SUDOKU_BIN_CONDIVISO;
  ambiente.push_back(std::string("LD_PRELOAD=") + SUDOKU_GUASTI);
  condizioni.ambiente = std::move(ambiente);
  return condizioni;
}
#define SENZA_GUASTI()
#else
#define SENZA_GUASTI() GTEST_SKIP() << "needs faults planted through glibc's dynamic linker"
Condizioni guasti(std::vector<std::string>) {
  return {};
}
#endif

// Memory running out at each request of a 9 x 9 run in turn (the
// runtime's own at start-up included, such as its reserve for exceptions),
// or that request alone failing: the run ends solved with its pages in
// place, or says what it could not do for lack of memory and leaves the
// earlier pages; never a mix, never a failure told once the pages are in
// place, nor a lack of memory told as something else.
TEST(Robustezza, MemoriaAOgniRichiesta) {
  SENZA_GUASTI();
  const std::string puzzle = generatore::leggitutto((NOVE / "in.txt").string());
  const std::string conteggio =
      (fs::temp_directory_path() / ("sudoku-richieste-" + std::to_string(getpid()))).string();
  esegui(puzzle, {"-i", "in.txt"}, {}, guasti({"SUDOKU_CONTEGGIO=" + conteggio}));
  const long richieste = std::stol(generatore::leggitutto(conteggio));
  fs::remove(conteggio);
  const std::string esaurita = "Memoria insufficiente: impossibile ";
  std::vector<std::string> fasi;
  for (long volta = 1; volta <= 2 * richieste; ++volta) {
    const bool unico = volta > richieste;
    const long k = unico ? volta - richieste : volta;
    SCOPED_TRACE(unico ? "that request alone" : "every request from then on");
    const Corsa c = esegui(puzzle, {"-i", "in.txt"}, paginevecchie,
                           guasti({"SUDOKU_GUASTO_MEMORIA=" + std::to_string(k),
                                   std::string("SUDOKU_GUASTO_UNICO=") + (unico ? "1" : "0")}));
    const auto dove = c.errori.rfind(esaurita);
    const bool risolta =
        c.stato == 1 && c.errori.ends_with(FINE) && c.out && c.out4f &&
        senzatempo(*c.out) == senzatempo(generatore::leggitutto((NOVE / "out.html").string())) &&
        *c.out4f == generatore::leggitutto((NOVE / "out4F.html").string());
    if (c.stato == 2 && dove != std::string::npos && vecchie(c)) {
      fasi.push_back(c.errori.substr(dove + esaurita.size()));
    } else if (!risolta) {
      ADD_FAILURE() << "request " << k << " of " << richieste << ": status " << c.stato << ", "
                    << vecchie(c).message() << "\n"
                    << c.errori.substr(c.errori.size() -
                                       std::min<std::size_t>(c.errori.size(), 200));
      break;
    }
    if (!c.altrifile.empty()) {
      ADD_FAILURE() << "request " << k << ": " << c.altrifile.front() << " left";
      break;
    }
  }
  std::sort(fasi.begin(), fasi.end());
  fasi.erase(std::unique(fasi.begin(), fasi.end()), fasi.end());
  EXPECT_EQ(fasi, (std::vector<std::string>{"leggere il puzzle.\n", "risolvere il puzzle.\n",
                                            "scrivere le pagine.\n"}));
}

// out.html cannot replace the earlier one, and the step page's exchange
// back fails too: the earlier step page stays, under the name told, even
// when a signal ends the run as soon as it lets signals in.
TEST(Robustezza, GuastiNelRipristino) {
  SENZA_GUASTI();
  for (const bool segnale : {false, true}) {
    SCOPED_TRACE(segnale);
    std::vector<std::string> ambiente{"SUDOKU_GUASTO_RINOMINE=2,3"};
    if (segnale)
      ambiente.push_back("SUDOKU_SEGNALE_RINOMINA=3");
    const Corsa c = nove(paginevecchie, guasti(ambiente));
    EXPECT_EQ(c.stato, segnale ? -1 : 2);
    EXPECT_EQ(c.out, VECCHIA);
    EXPECT_TRUE(c.out4f && *c.out4f != VECCHIA);
    ASSERT_EQ(c.altrifile.size(), 1u) << "the earlier step page is gone";
    EXPECT_TRUE(c.altrifile[0].starts_with("out4F.html.parziale-"));
    if (!segnale) {
      EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out.html\nErrore nel "
                                     "ripristino del file out4F.html\nLa pagina precedente "
                                     "resta in " +
                                     c.altrifile[0] + "\n" + FINE))
          << c.errori;
    }
  }
}

// Where files cannot be exchanged, the earlier step page is moved aside
// under a name of the run's: a folder or a file another user planted under
// the name it would take first is left alone, and the run goes on.
TEST(Robustezza, NomeConservatoPiantato) {
  SENZA_GUASTI();
  for (const bool cartella : {true, false}) {
    SCOPED_TRACE(cartella);
    std::string piantato;
    Corsa c;
    mentrescrive(
        [&](const std::string &d, int pid) {
          piantato = "out4F.html.parziale-" + std::to_string(pid) + "-2";
          if (cartella)
            fs::create_directory(d + "/" + piantato);
          else
            generatore::scrivitutto(d + "/" + piantato, VECCHIA);
        },
        c, guasti({"SUDOKU_SENZA_SCAMBIO=1"}));
    EXPECT_EQ(c.stato, 1) << c.errori;
    EXPECT_TRUE(c.out && c.out4f && *c.out != VECCHIA && *c.out4f != VECCHIA);
    EXPECT_EQ(c.altrifile, std::vector<std::string>{piantato});
  }
}

} // namespace
#endif
