// End-to-end runs of the real program on cases kept as data: the reader's
// table (letture.txt) and the puzzle folders of casi/, whose expected
// transcript and pages lie beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "esecuzione.h"
#include "generatore.h"

#if !defined(_WIN32)
#include <csignal>
#include <fcntl.h>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using generatore::leggitutto;

const fs::path DATI = SUDOKU_DATI_TEST;

// Text of the tables: \n \r \t \\ \xHH, and {TEXT*K} (not nested) for TEXT K times.
std::string srotola(const std::string &s) {
  std::string r;
  for (std::size_t p = 0; p < s.size(); ++p) {
    if (s[p] == '{') {
      const std::size_t per = s.find('*', p), fine = s.find('}', per);
      const std::string pezzo = srotola(s.substr(p + 1, per - p - 1));
      for (int k = std::stoi(s.substr(per + 1, fine - per - 1)); k > 0; --k)
        r += pezzo;
      p = fine;
    } else if (s[p] != '\\') {
      r += s[p];
    } else if (s[++p] == 'x') {
      r += static_cast<char>(std::stoi(s.substr(p + 1, 2), nullptr, 16));
      p += 2;
    } else {
      r += s[p] == 'n' ? '\n' : s[p] == 'r' ? '\r' : s[p] == 't' ? '\t' : s[p];
    }
  }
  return r;
}

std::vector<std::string> campi(const std::string &riga, char separatore) {
  std::vector<std::string> c(1);
  for (const char ch : riga) {
    if (ch == separatore)
      c.emplace_back();
    else
      c.back().push_back(ch);
  }
  return c;
}

#if !defined(_WIN32)
// Makes a named pipe at percorso and starts a thread that writes testo
// (a start, {UNIT*K}, an end, as srotola reads them) into it as it goes:
// the test holds no more of it than the program may. totale is its length,
// presi what the reader took before the pipe closed.
std::thread perlotubo(const std::string &percorso, const std::string &testo, long long &presi,
                      long long &totale) {
  const std::size_t a = testo.find('{'), per = testo.find('*', a), z = testo.find('}', per);
  const std::string inizio = srotola(testo.substr(0, a)), fine = srotola(testo.substr(z + 1));
  const std::string unita = srotola(testo.substr(a + 1, per - a - 1));
  std::string blocco;
  while (blocco.size() < 65536)
    blocco += unita;
  totale = static_cast<long long>(inizio.size() + fine.size() +
                                  unita.size() * std::stoull(testo.substr(per + 1, z - per - 1)));
  std::signal(SIGPIPE, SIG_IGN);
  mkfifo(percorso.c_str(), 0600);
  return std::thread([=, &presi] {
    const int fd = open(percorso.c_str(), O_WRONLY);
    const long long dopo = totale - static_cast<long long>(fine.size());
    for (ssize_t n = 1; n > 0 && presi < totale; presi += std::max<ssize_t>(n, 0)) {
      const std::string_view pezzo =
          presi < static_cast<long long>(inizio.size()) ? std::string_view(inizio).substr(presi)
          : presi < dopo ? std::string_view(blocco).substr((presi - inizio.size()) % unita.size(),
                                                           std::min<long long>(dopo - presi, 32768))
                         : std::string_view(fine).substr(presi - dopo);
      n = write(fd, pezzo.data(), pezzo.size());
    }
    close(fd);
  });
}
#endif

// Each line: status, arguments ("." none), puzzle file ("!" none, "!cartella"
// a folder in its place), expected standard error; all but the status
// written as srotola reads them. Status S: the one of a puzzle without
// solution. An expected text ending in "..." is the start of the transcript.
// A puzzle after "|" reaches the program through a named pipe in.txt: the
// program must read it whole, or with status "2<" stop before 4 MiB of it,
// and in either case keep under 16 MiB of memory (POSIX only, as /dev/).
TEST(Letture, Tabella) {
  std::ifstream tabella(DATI / "letture.txt");
  ASSERT_TRUE(tabella) << DATI / "letture.txt";
  int casi = 0;
  for (std::string riga; std::getline(tabella, riga);) {
    if (riga.empty() || riga[0] == '#')
      continue;
    const std::vector<std::string> c = campi(riga, '\t');
    ASSERT_EQ(c.size(), 4u) << riga;
    SCOPED_TRACE(riga.substr(0, 200));
    std::vector<std::string> argomenti;
    if (c[1] != ".")
      argomenti = campi(srotola(c[1]), ' ');
    const bool cartella = c[2] == "!cartella", tubo = c[2][0] == '|';
    const std::string puzzle = tubo ? "" : srotola(c[2]);
    long long presi = 0, totale = 0;
#if defined(_WIN32)
    if (tubo || c[1].find("/dev/") != std::string::npos)
      continue;
    const auto scrivi = [](const std::string &) {};
#else
    std::thread scrittore;
    const auto scrivi = [&](const std::string &d) {
      scrittore = perlotubo(d + "/in.txt", c[2].substr(1), presi, totale);
    };
#endif
    const Corsa corsa = esegui(c[2][0] == '!' || tubo ? std::nullopt : std::optional(puzzle),
                               argomenti, [&](const std::string &d) {
                                 if (cartella)
                                   fs::create_directory(d + "/in.txt");
                                 if (tubo)
                                   scrivi(d);
                               });
#if !defined(_WIN32)
    if (tubo) {
      scrittore.join();
      EXPECT_TRUE(c[0] == "2<" ? presi < (4 << 20) : presi == totale) << presi;
#if !defined(__SANITIZE_ADDRESS__)
      EXPECT_LT(corsa.memoriakb, 16 * 1024);
#endif
    }
#endif
    EXPECT_EQ(corsa.stato, c[0] == "S" ? STATO_SENZA_SOLUZIONE : std::stoi(c[0]));
    std::string atteso = acapo(srotola(c[3]));
    if (atteso.ends_with("...")) {
      atteso.resize(atteso.size() - 3);
      EXPECT_EQ(corsa.errori.substr(0, atteso.size()), atteso);
    } else {
      EXPECT_EQ(corsa.errori, atteso);
      EXPECT_FALSE(corsa.out || corsa.out4f);
    }
    EXPECT_EQ(corsa.uscita, "");
    ++casi;
  }
  EXPECT_GT(casi, 50);
}

// A folder of casi/: in.txt, the expected "errori" (standard error) and
// "out.html" and "out4F.html" where the run writes them; optional "stato"
// (the exit status: else 1 with pages, that of no solution without) and
// "ostacolo" ("cartella PAGE": a folder stands in the page's place;
// "pieno PAGE BYTES": no file may grow past BYTES, so that writing PAGE
// fails). Every run finds
// pages of an earlier run in its folder (on POSIX, links to files elsewhere,
// which must stay as they were): a page it does not write must stay as it
// was, and no other file may be left behind. Folder names are made of
// letters, digits and _ only.
class Casi : public testing::TestWithParam<std::string> {};

TEST_P(Casi, TrascrizioneEPagine) {
  const fs::path caso = DATI / "casi" / GetParam();
  const auto leggi = [&](const char *nome) {
    return fs::exists(caso / nome) ? std::optional(leggitutto((caso / nome).string()))
                                   : std::nullopt;
  };
  const std::optional<std::string> out = leggi("out.html"), out4f = leggi("out4F.html"),
                                   stato = leggi("stato");
  std::string ostacolo, pagina;
  long long byte = 0;
  std::istringstream(leggi("ostacolo").value_or("")) >> ostacolo >> pagina >> byte;
#if defined(_WIN32)
  if (ostacolo == "pieno")
    GTEST_SKIP() << "no limit on a file's size here to make the writing of a page fail";
#else
  rlimit prima{};
  getrlimit(RLIMIT_FSIZE, &prima);
#endif

  const fs::path altrove = fs::temp_directory_path() / ("sudoku-altrove-" + GetParam());
  fs::create_directories(altrove);
  const Corsa c = esegui(*leggi("in.txt"), {"-i", "in.txt"}, [&](const std::string &d) {
    for (const char *p : {"out.html", "out4F.html"}) {
#if defined(_WIN32)
      generatore::scrivitutto(d + "/" + p, VECCHIA);
#else
      generatore::scrivitutto((altrove / p).string(), VECCHIA);
      fs::create_symlink(altrove / p, d + "/" + p);
#endif
    }
    if (ostacolo == "cartella") {
      fs::remove(d + "/" + pagina);
      fs::create_directory(d + "/" + pagina);
    }
#if !defined(_WIN32)
    rlimit limite = prima;
    limite.rlim_cur = static_cast<rlim_t>(byte);
    if (ostacolo == "pieno")
      setrlimit(RLIMIT_FSIZE, &limite);
#endif
  });
#if !defined(_WIN32)
  setrlimit(RLIMIT_FSIZE, &prima);
#endif
  EXPECT_EQ(c.stato, stato ? std::stoi(*stato) : out ? 1 : STATO_SENZA_SOLUZIONE);
  EXPECT_EQ(c.errori,
            acapo(*leggi("errori") + std::string(stato || out ? "" : FINE_SENZA_SOLUZIONE)));
  EXPECT_EQ(c.uscita, "");
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
  for (const char *p : {"out.html", "out4F.html"})
    EXPECT_TRUE(!fs::exists(altrove / p) ||
                generatore::leggitutto((altrove / p).string()) == VECCHIA);
  fs::remove_all(altrove);
  if (ostacolo != "cartella" || pagina != "out.html") {
    EXPECT_EQ(senzatempo(c.out.value_or("")), out ? acapo(senzatempo(*out)) : VECCHIA);
  }
  if (ostacolo != "cartella" || pagina != "out4F.html") {
    EXPECT_EQ(c.out4f.value_or(""), out4f ? acapo(*out4f) : VECCHIA);
  }
  // Under Wine, "start out.html" reaches a stand-in viewer that notes it:
  // once, for the folder's out.html, whenever that page was created.
  if (c.aperte) {
    EXPECT_EQ(std::count(c.aperte->begin(), c.aperte->end(), '\n'), out ? 1 : 0);
    EXPECT_TRUE(!out || c.aperte->ends_with("\\out.html\r\n")) << *c.aperte;
  }
}

std::vector<std::string> nomicasi() {
  std::vector<std::string> nomi;
  for (const auto &voce : fs::directory_iterator(DATI / "casi"))
    nomi.push_back(voce.path().filename().string());
  std::sort(nomi.begin(), nomi.end());
  return nomi;
}

INSTANTIATE_TEST_SUITE_P(Esempi, Casi, testing::ValuesIn(nomicasi()),
                         [](const auto &info) { return info.param; });

} // namespace
