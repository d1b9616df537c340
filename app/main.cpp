// Entry of the program: reads the puzzle named by "-i" (default "in.txt"),
// echoes it, searches, and on success writes the two pages.
//
// Exit status: 1 after a solution with both pages in place (whatever
// happens after); 2 when the command line, the puzzle file or a page could
// not be used, or memory ran out before the pages were in place; 3 when the puzzle has no solution
// (no page is written, none is removed).
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/comando.h"
#include "app/lettore.h"
#include "app/stato.h"
#include "report/pagine.h"
#include "report/parziali.h"
#include "solver/ricerca.h"

#if !defined(_WIN32)
#include <csignal>
#endif

namespace {

constexpr const char *CHIUSURA =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

// What the run was doing, for the message when memory runs out; null once
// both pages are in place.
const char *fase = "leggere il puzzle";

// Memory ran out: the run ends here instead of throwing, which needs memory
// the runtime may not have (its reserve for exceptions is itself taken at
// start-up). Requests that could do without (the library's temporary
// buffers) end the run too. Before the pages are in place: with status 2
// and a message built in place, the partial pages gone, the earlier pages
// kept. After: the run did what it was for, and ends solved, with the
// closing lines.
[[noreturn]] void esaurita() {
  if (fase == nullptr) {
    std::fputs(CHIUSURA, stderr);
    std::_Exit(1);
  }
  std::fputs("Memoria insufficiente: impossibile ", stderr);
  std::fputs(fase, stderr);
  std::fputs(".\n", stderr);
  scartaparziali();
  std::_Exit(2);
}

int corsa(int argc, char *argv[]) {
  const Comando comando = leggicomando(argc, argv);
  if (!comando.valido) {
    console(comando.errore);
    return 2;
  }

  Lettura puzzle;
  switch (leggifile(comando.fileinput, puzzle)) {
  case Caricamento::riuscito:
    break;
  case Caricamento::apertura:
    console("Errore nell'apertura del file " + comando.fileinput + "\n");
    return 2;
  case Caricamento::lettura:
    console("Errore nella lettura del file " + comando.fileinput + "\n");
    return 2;
  case Caricamento::memoria:
    esaurita();
  }
  if (!puzzle.valida) {
    console(messaggiolettura(comando.fileinput, puzzle));
    return 2;
  }

  fase = "risolvere il puzzle";
  preparastato(static_cast<int>(puzzle.griglia.size()));
  tabella = puzzle.griglia;
  tabellaold = puzzle.griglia;
  console("\nTabella iniziale:\n\n" + ecogriglia(tabella));
  tp0 = orologio();

  int stato = 3;
  if (inserisci(tabella, 0, 0).risolto) {
    tp1 = orologio();
    fase = "scrivere le pagine";
    stato = 2;
    if (stampatabella(tabella, passi)) {
      stato = 1;
      fase = nullptr;
      lanciavisualizzatore();
    }
  } else {
    // No page: whatever pages stand in the folder belong to an earlier run.
    console("\n\nNessuna soluzione.");
  }
  // From the pages in place on, nothing asks for memory.
  console(CHIUSURA);
  std::getchar();
  return stato;
}

} // namespace

int main(int argc, char *argv[]) {
#if !defined(_WIN32)
  // A console nobody reads any more loses its messages, not the run.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::set_new_handler(esaurita);
  try {
    return corsa(argc, argv);
  } catch (const std::bad_alloc &) {
    // A size no allocation could have (no handler is asked).
    esaurita();
  }
}
