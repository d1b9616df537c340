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
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path NOVE = fs::path(SUDOKU_DATI_TEST) / "casi" / "nove";

// A 100 x 100 with 300 cells to deduce: its step page takes long enough to
// act while it is written.
std::string cento() {
  return generatore::testopuzzle(
      generatore::generapuzzle(generatore::generasoluzione(100, 100), 300, 100));
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

// The run ended with stato, its standard error ending in coda, the
// earlier pair untouched and lasciati the only other files left.
void respinta(const Corsa &c, int stato, const std::string &coda,
              const std::vector<std::string> &lasciati = {}) {
  EXPECT_EQ(c.stato, stato);
  EXPECT_TRUE(c.errori.ends_with(coda))
      << c.errori.substr(c.errori.size() - std::min<std::size_t>(c.errori.size(), 300));
  EXPECT_TRUE(vecchie(c));
  EXPECT_EQ(c.altrifile, lasciati);
}

// The 9 x 9 run ended solved, its pages in place.
testing::AssertionResult risolta(const Corsa &c) {
  if (c.stato == 1 && c.out && c.out4f &&
      senzatempo(*c.out) == senzatempo(generatore::leggitutto((NOVE / "out.html").string())) &&
      *c.out4f == generatore::leggitutto((NOVE / "out4F.html").string()))
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "status " << c.stato << ", " << vecchie(c).message();
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
    respinta(c, -1, ""); // ended by the signal
  }
  setrlimit(RLIMIT_CORE, &prima);
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

const std::string ATTESA =
    "Attesa di un'altra esecuzione che sta mettendo le sue pagine in questa cartella\n";
const std::string BLOCCO = "Errore nel blocco della cartella: ";

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

// Locks held or planted by others. In a folder that some who may write
// cannot read (mode 333, or 770 with an access list granting user 65534
// -wx), while another run holds the lock file (as one that cannot read the
// folder does), a run says it waits and waits before it puts its pages in
// place, be it able to read the folder (root) or not. A lock file planted
// there where the run cannot lock it (a link to nowhere, a file or a FIFO
// it may not open): the run cannot exclude the others, so it moves no page.
// A folder's lock held longer than any run holds it (anyone who can read a
// folder can lock it): the run says it waits, then gives up, moving no page.
TEST(Robustezza, Serrature) {
  const long altro = altroutente();
  constexpr int TENUTA = 0, CARTELLATENUTA = 1; // else the kind of file planted
  const struct {
    int serratura;
    bool lista, altro;
  } casi[] = {{TENUTA, false, false}, {TENUTA, false, true},         {TENUTA, true, false},
              {TENUTA, true, true},   {S_IFLNK, false, true},        {S_IFREG, false, true},
              {S_IFIFO, false, true}, {CARTELLATENUTA, false, false}};
  for (const auto &k : casi) {
    SCOPED_TRACE(std::to_string(k.serratura) + (k.lista ? " access list" : "") +
                 (k.altro ? " user 65534" : ""));
    if (k.altro && altro < 0)
      continue; // no second user able to run the program
    std::thread tenuta;
    int fd = -1;
    bool intatte = false, senzaliste = false;
    Condizioni condizioni;
    condizioni.utente = k.altro ? altro : -1;
    const auto inizio = std::chrono::steady_clock::now();
    const Corsa c = nove(
        [&](const std::string &d) {
          paginevecchie(d);
          const std::string serratura = d + "/out.html.serratura";
          if (k.serratura == CARTELLATENUTA) {
            fd = open(d.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_EQ(flock(fd, LOCK_EX), 0);
            return;
          }
          if (k.serratura == TENUTA) {
            fd = open(serratura.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0444);
            ASSERT_EQ(flock(fd, LOCK_EX), 0);
          } else {
            ASSERT_EQ(k.serratura == S_IFLNK ? symlink("/nessuna/parte", serratura.c_str())
                                             : mknod(serratura.c_str(), k.serratura | 0600, 0),
                      0);
          }
          senzaliste = k.lista && !scrivesenzaleggere(d);
          if (!k.lista)
            chmod(d.c_str(), 0333);
          if (k.serratura == TENUTA)
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
    const auto durata = std::chrono::steady_clock::now() - inizio;
    if (tenuta.joinable())
      tenuta.join();
    else if (fd >= 0)
      close(fd);
    if (senzaliste)
      continue; // a file system without access lists
    if (k.serratura == TENUTA) {
      EXPECT_TRUE(intatte) << "the pages moved while the lock was held";
      EXPECT_EQ(c.stato, 1);
      EXPECT_NE(c.errori.find(ATTESA), std::string::npos) << c.errori;
      EXPECT_NE(c.out, VECCHIA);
      EXPECT_NE(c.out4f, VECCHIA);
      EXPECT_EQ(c.altrifile, std::vector<std::string>{});
      continue;
    }
    const bool troppo = k.serratura == CARTELLATENUTA;
    respinta(c, 2,
             (troppo ? ATTESA + BLOCCO + "un'altra esecuzione la tiene da 30 secondi, " : BLOCCO) +
                 "pagine non sostituite\n" + FINE,
             troppo ? std::vector<std::string>{} : std::vector<std::string>{"out.html.serratura"});
    EXPECT_TRUE(!troppo || durata >= std::chrono::seconds(30));
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
  const Corsa c = nove({}, condizioni);
  close(tubo[1]);
  EXPECT_TRUE(risolta(c));
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

// The statically linked program under an address space limit its search
// of the empty 100 x 100 grid needs several times over: a message, and the
// earlier pages kept. (Each phase's lack of memory, one request at a time,
// is MemoriaAOgniRichiesta's.)
TEST(Robustezza, MemoriaInsufficiente) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizer's own mappings need more than this limit";
#endif
  Condizioni condizioni;
  condizioni.memoriakb = 12000;
  const Corsa c =
      esegui(generatore::testopuzzle(generatore::Griglia(100, std::vector<int>(100, 0))),
             {"-i", "in.txt"}, paginevecchie, condizioni);
  respinta(c, 2, "Memoria insufficiente: impossibile risolvere il puzzle.\n");
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
constexpr bool CONGUASTI = true;
#else
constexpr bool CONGUASTI = false;
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
  if (!CONGUASTI)
    GTEST_SKIP() << "needs faults planted through glibc's dynamic linker";
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
    if (c.stato == 2 && dove != std::string::npos && vecchie(c)) {
      fasi.push_back(c.errori.substr(dove + esaurita.size()));
    } else if (!c.errori.ends_with(FINE) || !risolta(c)) {
      ADD_FAILURE() << "request " << k << " of " << richieste << ": " << risolta(c).message()
                    << "\n"
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

// out.html cannot replace the earlier one: in a shared (sticky) folder it
// belongs to the test's user, not to the run's (with or without an earlier
// step page), or its rename fails (a planted fault). Both earlier pages
// stay, the step page too, or its absence. Where the step page's exchange
// back fails as well, the earlier step page stays, under the name told,
// even when a signal ends the run as soon as it lets signals in.
TEST(Robustezza, OutHtmlInsostituibile) {
  const long utente = altroutente();
  const struct {
    bool condivisa, conpassi;
    const char *rinomine; // renames that fail, as SUDOKU_GUASTO_RINOMINE says
    bool segnale;         // SIGTERM raised after the third rename
  } casi[] = {{true, true, "", false},
              {true, false, "", false},
              {false, true, "2", false},
              {false, true, "2,3", false},
              {false, true, "2,3", true}};
  for (const auto &k : casi) {
    SCOPED_TRACE(std::string(k.condivisa ? "shared" : k.rinomine) +
                 (k.conpassi ? "" : " no steps") + (k.segnale ? " signal" : ""));
    if (k.condivisa ? utente < 0 : !CONGUASTI)
      continue; // no second user able to run the program, or no faults here
    std::vector<std::string> ambiente{std::string("SUDOKU_GUASTO_RINOMINE=") + k.rinomine};
    if (k.segnale)
      ambiente.push_back("SUDOKU_SEGNALE_RINOMINA=3");
    Condizioni condizioni = k.condivisa ? Condizioni{} : guasti(ambiente);
    condizioni.utente = k.condivisa ? utente : -1;
    const Corsa c = nove(
        [&](const std::string &d) {
          paginevecchie(d);
          const std::string passi = d + "/out4F.html";
          if (!k.conpassi)
            fs::remove(passi);
          if (k.condivisa && (chmod(d.c_str(), 01777) != 0 ||
                              (k.conpassi && chown(passi.c_str(), utente, utente) != 0)))
            ADD_FAILURE() << "chmod, chown";
        },
        condizioni);
    const bool ripristino = std::string(k.rinomine) == "2,3";
    EXPECT_EQ(c.stato, k.segnale ? -1 : 2);
    EXPECT_EQ(c.out, VECCHIA);
    if (!ripristino) {
      EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out.html\n" + FINE))
          << c.errori;
      EXPECT_EQ(c.out4f, k.conpassi ? std::optional(VECCHIA) : std::nullopt);
      EXPECT_EQ(c.altrifile, std::vector<std::string>{});
      continue;
    }
    EXPECT_TRUE(c.out4f && *c.out4f != VECCHIA);
    ASSERT_EQ(c.altrifile.size(), 1u) << "the earlier step page is gone";
    EXPECT_TRUE(c.altrifile[0].starts_with("out4F.html.parziale-"));
    EXPECT_TRUE(k.segnale ||
                c.errori.ends_with("Errore nella scrittura del file out.html\nErrore nel "
                                   "ripristino del file out4F.html\nLa pagina precedente "
                                   "resta in " +
                                   c.altrifile[0] + "\n" + FINE))
        << c.errori;
  }
}

// Things planted while the step page is written. A folder at the page's
// own name: the run fails to put it in place and moves no page. Where files
// cannot be exchanged, the earlier step page is moved aside under a name of
// the run's: a folder or a file another user planted under the name it
// would take first is left alone, and the run goes on.
TEST(Robustezza, PiantatiMentreScrive) {
  for (const int k : {0, 1, 2}) {
    SCOPED_TRACE(k);
    if (k > 0 && !CONGUASTI)
      continue;
    std::string piantato;
    Corsa c;
    mentrescrive(
        [&](const std::string &d, int pid) {
          piantato = k == 0 ? "out4F.html" : "out4F.html.parziale-" + std::to_string(pid) + "-2";
          fs::remove(d + "/" + piantato);
          if (k < 2)
            fs::create_directory(d + "/" + piantato);
          generatore::scrivitutto(d + "/" + piantato + (k < 2 ? "/dentro" : ""), VECCHIA);
        },
        c, k == 0 ? Condizioni{} : guasti({"SUDOKU_SENZA_SCAMBIO=1"}));
    if (k == 0) {
      EXPECT_EQ(c.stato, 2);
      EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out4F.html\n" + FINE))
          << c.errori;
      EXPECT_EQ(c.out, VECCHIA);
      EXPECT_FALSE(c.out4f);
      EXPECT_EQ(c.altrifile, std::vector<std::string>{});
      continue;
    }
    EXPECT_EQ(c.stato, 1) << c.errori;
    EXPECT_TRUE(c.out && c.out4f && *c.out != VECCHIA && *c.out4f != VECCHIA);
    EXPECT_EQ(c.altrifile, std::vector<std::string>{piantato});
  }
}

} // namespace
#endif
