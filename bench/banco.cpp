// Benchmark tool: solves puzzle files in process with the program's solver
// and, on request, with the straightforward oracle, and reports the work
// done (search nodes, steps) beside the time.
//
//   sudoku_bench conta FILE...        nodes, steps, solved, seconds and the
//                                     process's processor seconds meanwhile
//                                     (program's solver), and what its
//                                     completion checks did, with the learning
//                                     engines they started (motori)
//   sudoku_bench senza FILE...        the same with the completion check off
//   sudoku_bench riferimento FILE...  the same with the straightforward solver
//   sudoku_bench affianca VOLTE FILE  both solvers in turn, VOLTE times each
//                                     (ours in a batch lasting as long):
//                                     nodes of each, steps, checks, median
//                                     seconds of each, ratio
//   sudoku_bench genera N VUOTE SEME  prints a generated puzzle file
//   sudoku_bench unica N DATE SEME    prints a puzzle with one solution, carved
//                                     from a generated grid down to DATE % of
//                                     the cells given, or as far as it goes
//   sudoku_bench registra FILE OUT    writes the questions the search on FILE
//                                     puts to the completion check to OUT
//   sudoku_bench riascolta OUT...     asks a fresh check each question of OUT:
//                                     answers by kind, units, seconds
//   sudoku_bench anticipa OUT...      the same, with a second check asking
//                                     the next value at the same cell beside
//                                     each question: also the wall seconds
//                                     on two processors, questions answered
//                                     beforehand
//   sudoku_bench campiona OUT K [C]   every K-th question of OUT put to a fresh
//                                     CaDiCaL engine: answers, conflicts
//                                     (median, p90, p99, most), and the three
//                                     that took most in C configurations (6)
//   Before the command, NOME=VALORE sets a field of the search's options
//   (as listed in solver/opzioni.def) for conta, registra, riascolta and
//   anticipa.
//   sudoku_bench misura DIR PROG ARG...  runs PROG in DIR with standard input
//                                     closed and standard error discarded:
//                                     wall seconds, processor seconds (all its
//                                     threads, and the children it waited for),
//                                     peak memory, exit status
//   sudoku_bench sat FILE...          the puzzle solved by CaDiCaL in the usual
//                                     SAT model, then a second solution sought:
//                                     processor seconds, solutions 0, 1 or 2 (more)
//   sudoku_bench completa FILE...     the same model solved once: whether there
//                                     is any completion (soluzioni 0 or 1)
//   sudoku_bench estrai FILE K        prints puzzle K (from 1) of a public
//                                     collection as a puzzle file
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/lettore.h"
#include "app/stato.h"
#include "domande.h"
#include "generatore.h"
#include "oracolo_ricerca.h"
#include "riferimento_sat.h"
#include "solver/completamento.h"
#include "solver/ricerca.h"
#include "unica.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool leggi(const char *nome, Griglia &g) {
  Lettura l;
  if (leggifile(nome, l) != Caricamento::riuscito) {
    std::fprintf(stderr, "Errore nell'apertura del file %s\n", nome);
    return false;
  }
  if (!l.valida) {
    std::fputs(messaggiolettura(nome, l).c_str(), stderr);
    return false;
  }
  g = l.griglia;
  return true;
}

double secondi(std::chrono::steady_clock::time_point da) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - da).count();
}

double secondidi(const timeval &t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Processor seconds (user and system) of a process, all its threads.
double processore(const rusage &uso) {
  return secondidi(uso.ru_utime) + secondidi(uso.ru_stime);
}

// ... of this process so far.
double processoreproprio() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return processore(uso);
}

// One solve with the program's solver, timed, on the program's own state.
struct Soluzione {
  double secondi;
  double cpu; // the process's processor seconds meanwhile: every thread the search ran
  long long nodi;
  int passi;
  bool risolto;
  Lavoro lavoro;
};
Soluzione cronometra(const Griglia &g, const Opzioni &o = {}) {
  preparastato(static_cast<int>(g.size()));
  tabella = g;
  tabellaold = g;
  primozero = 1; // no console report
  const auto t = std::chrono::steady_clock::now();
  const double c = processoreproprio();
  const EsitoRicerca e = inserisci(tabella, 0, 0, o);
  return {secondi(t), processoreproprio() - c, e.lavoro.nodi, classifica, e.risolto, e.lavoro};
}

// What the completion check did, for the report.
std::string controlli(const Lavoro &l) {
  char testo[240];
  std::snprintf(testo, sizeof testo,
                "controlli %lld esclusi %lld testimoni %lld incerti %lld unita %lld riesami %lld "
                "chiusi %lld unitariesame %lld unitaunicita %lld motori %lld",
                l.controlli, l.esclusi, l.testimoni, l.incerti, l.unitacontrollo, l.riesami,
                l.chiusi, l.unitariesame, l.unitaunicita, l.motori);
  return testo;
}

int conta(const char *nome, const Opzioni &o) {
  Griglia g;
  if (!leggi(nome, g))
    return 2;
  const Soluzione s = cronometra(g, o);
  std::printf("%s nodi %lld passi %d risolto %d secondi %.4f cpu %.4f %s\n", nome, s.nodi, s.passi,
              s.risolto ? 1 : 0, s.secondi, s.cpu, controlli(s.lavoro).c_str());
  return 0;
}

int confronto(const char *nome) {
  Griglia g;
  if (!leggi(nome, g))
    return 2;
  const auto t = std::chrono::steady_clock::now();
  const oracolo::Esito e = oracolo::risolvi(g);
  std::printf("%s nodi %lld passi %d risolto %d secondi %.4f\n", nome, e.nodi, e.classifica,
              e.risolto ? 1 : 0, secondi(t));
  return 0;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[(v.size() - 1) / 2];
}

// Times the two solvers in turn on the same puzzle, so that a machine shared
// with other work slows both alike.  Each time of ours is the mean of as
// many solves in a row as it takes to last about as long as the
// straightforward solver's one: a short run can fall wholly inside, or
// wholly outside, a spell of other work that a long one averages over.
int affianca(int volte, const char *nome) {
  Griglia g;
  if (!leggi(nome, g) || volte < 1)
    return 2;
  std::vector<double> nostri, loro;
  Soluzione s{};
  long long nodiloro = 0;
  for (int k = 0; k < volte; ++k) {
    const auto t = std::chrono::steady_clock::now();
    const oracolo::Esito e = oracolo::risolvi(g);
    loro.push_back(secondi(t));
    double somma = 0;
    int quante = 0;
    do {
      s = cronometra(g);
      somma += s.secondi;
      ++quante;
    } while (somma < loro.back());
    nostri.push_back(somma / quante);
    if (e.risolto != s.risolto || e.classifica != s.passi) {
      std::fprintf(stderr, "%s: i due risolutori non concordano\n", nome);
      return 2;
    }
    nodiloro = e.nodi;
  }
  const double a = mediana(nostri), b = mediana(loro);
  std::printf("%s nodi %lld nodiriferimento %lld passi %d %s secondi %.4f riferimento %.4f "
              "rapporto %.1f\n",
              nome, s.nodi, nodiloro, s.passi, controlli(s.lavoro).c_str(), a, b, b / a);
  return 0;
}

int misura(const char *cartella, char *argv[]) {
  const auto t = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cartella) != 0)
      _exit(127);
    close(0);
    const int nulla = open("/dev/null", O_WRONLY);
    if (nulla < 0 || dup2(nulla, 2) < 0)
      _exit(127);
    execv(argv[0], argv);
    _exit(127);
  }
  int stato = 0;
  rusage uso{};
  wait4(pid, &stato, 0, &uso);
  std::printf("secondi %.4f cpu %.4f memoria_kb %ld stato %d\n", secondi(t), processore(uso),
              uso.ru_maxrss, WIFEXITED(stato) ? WEXITSTATUS(stato) : -1);
  return 0;
}

int riascolta(const char *nome, const Opzioni &o, bool anticipa) {
  const domande::Esito e = domande::riascolta(nome, o, anticipa);
  if (!e.letto) {
    std::fprintf(stderr, "%s: registro illeggibile\n", nome);
    return 2;
  }
  std::printf("%s domande %lld si %lld no %lld forse %lld testimoni %lld unita %lld secondi %.4f",
              nome, e.domande, e.si, e.no, e.forse, e.testimoni, e.unita, e.secondi);
  if (anticipa)
    std::printf(" parete %.4f anticipate %lld", e.parete, e.anticipate);
  std::printf("\n");
  return 0;
}

// A fresh CaDiCaL engine on every ogni-th question recorded in `nome`:
// its answers and conflicts in the first configuration, then the three
// questions that took most in each of `configurazioni` configurations.
int campiona(const char *nome, long long ogni, int configurazioni) {
  const std::vector<Griglia> campione = domande::campiona(nome, ogni);
  if (campione.empty() || configurazioni < 1) {
    std::fprintf(stderr, "%s: nessuna domanda da campionare\n", nome);
    return 2;
  }
  std::vector<std::pair<long long, std::size_t>> conflitti; // and the question's place
  std::size_t no = 0;
  for (std::size_t k = 0; k < campione.size(); ++k) {
    const riferimentosat::Prova p = riferimentosat::prova(campione[k], 0);
    no += p.esito == 20;
    conflitti.emplace_back(p.conflitti, k);
  }
  std::sort(conflitti.begin(), conflitti.end());
  const auto quantile = [&](double x) {
    return conflitti[static_cast<std::size_t>(x * static_cast<double>(conflitti.size() - 1))].first;
  };
  std::printf(
      "%s domande %zu no %zu si %zu conflitti mediana %lld p90 %lld p99 %lld massimo %lld\n", nome,
      campione.size(), no, campione.size() - no, quantile(0.5), quantile(0.9), quantile(0.99),
      conflitti.back().first);
  for (std::size_t t = 0; t < 3 && t < conflitti.size(); ++t) {
    const std::size_t k = conflitti[conflitti.size() - 1 - t].second;
    std::printf("domanda %lld conflitti", static_cast<long long>(k + 1) * ogni);
    for (int x = 0; x < configurazioni; ++x)
      std::printf(" %lld", riferimentosat::prova(campione[k], x).conflitti);
    std::printf("\n");
  }
  return 0;
}

int consat(const char *nome, bool seconda) {
  Griglia g;
  if (!leggi(nome, g))
    return 2;
  const riferimentosat::Esito e = riferimentosat::risolvi(g, seconda);
  std::printf("%s sat_secondi %.4f soluzioni %d\n", nome, e.secondi, e.soluzioni);
  return 0;
}

// Prints a puzzle generated from seme: a grid of side n with k random
// cells emptied, or (unico) carved down to k % of its cells given with one
// solution.
int genera(bool unico, int n, int k, std::uint32_t seme) {
  try {
    const auto s = generatore::generasoluzione(n, seme);
    const auto p = unico ? unica::scava(s, n * n * k / 100, seme + 1)
                         : generatore::generapuzzle(s, k, seme + 1);
    std::fputs(generatore::testopuzzle(p).c_str(), stdout);
    return 0;
  } catch (const std::invalid_argument &x) {
    std::fprintf(stderr, "%s\n", x.what());
    return 2;
  }
}

int estrai(const char *raccolta, int k) {
  try {
    const auto puzzle = generatore::leggiraccolta(raccolta);
    if (k < 1 || k > static_cast<int>(puzzle.size())) {
      std::fprintf(stderr, "%s: %zu puzzle, non %d\n", raccolta, puzzle.size(), k);
      return 2;
    }
    std::fputs(generatore::testopuzzle(puzzle[k - 1]).c_str(), stdout);
    return 0;
  } catch (const std::exception &x) {
    std::fprintf(stderr, "%s: %s\n", raccolta, x.what());
    return 2;
  }
}

} // namespace

int main(int argc, char *argv[]) {
  Opzioni opzioni;
  // Settings first: NOME=VALORE.
  while (argc >= 2 && std::strchr(argv[1], '=') != nullptr) {
    const char *uguale = std::strchr(argv[1], '=');
    if (!domande::imposta(opzioni, std::string(argv[1], static_cast<std::size_t>(uguale - argv[1])),
                          std::atoll(uguale + 1))) {
      std::fprintf(stderr, "opzione sconosciuta o fuori intervallo: %s\n", argv[1]);
      return 2;
    }
    --argc;
    ++argv;
  }
  if (argc == 4 && std::strcmp(argv[1], "registra") == 0) {
    Griglia g;
    return leggi(argv[2], g) && domande::registra(g, opzioni, argv[3]) ? 0 : 2;
  }
  const bool anticipa = argc >= 3 && std::strcmp(argv[1], "anticipa") == 0;
  if (argc >= 3 && (anticipa || std::strcmp(argv[1], "riascolta") == 0)) {
    for (int k = 2; k < argc; ++k)
      if (riascolta(argv[k], opzioni, anticipa) != 0)
        return 2;
    return 0;
  }
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "campiona") == 0)
    return campiona(argv[2], std::atoll(argv[3]), argc == 5 ? std::atoi(argv[4]) : 6);
  if (argc >= 3 && std::strcmp(argv[1], "senza") == 0)
    opzioni.controllo = false;
  if (argc >= 3 && (std::strcmp(argv[1], "conta") == 0 || std::strcmp(argv[1], "senza") == 0)) {
    for (int k = 2; k < argc; ++k)
      if (conta(argv[k], opzioni) != 0)
        return 2;
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "riferimento") == 0) {
    for (int k = 2; k < argc; ++k)
      if (confronto(argv[k]) != 0)
        return 2;
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "affianca") == 0)
    return affianca(std::atoi(argv[2]), argv[3]);
  if (argc == 5 && (std::strcmp(argv[1], "genera") == 0 || std::strcmp(argv[1], "unica") == 0))
    return genera(std::strcmp(argv[1], "unica") == 0, std::atoi(argv[2]), std::atoi(argv[3]),
                  static_cast<std::uint32_t>(std::atoi(argv[4])));
  if (argc >= 4 && std::strcmp(argv[1], "misura") == 0)
    return misura(argv[2], argv + 3);
  if (argc >= 3 && (std::strcmp(argv[1], "sat") == 0 || std::strcmp(argv[1], "completa") == 0)) {
    for (int k = 2; k < argc; ++k)
      if (consat(argv[k], std::strcmp(argv[1], "sat") == 0) != 0)
        return 2;
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "estrai") == 0)
    return estrai(argv[2], std::atoi(argv[3]));
  std::fputs(
      "uso: sudoku_bench [NOME=VALORE...] conta|senza|riferimento FILE... | registra FILE OUT | "
      "riascolta|anticipa OUT... | campiona OUT K [C] | affianca VOLTE FILE | genera N VUOTE SEME "
      "| "
      "unica N "
      "DATE SEME | "
      "misura DIR PROG ARG... | sat|completa FILE... | estrai FILE K\n",
      stderr);
  return 2;
}
