// Entry of the program: reads the puzzle named by "-i" (default "in.txt"),
// echoes it, searches, and on success writes the two pages.
//
// Exit status: 1 after a solution with both pages written; 2 when the
// command line, the puzzle file or a page could not be used; 3 when the
// puzzle has no solution (no page is written, none is removed).
#include <cstdio>

#include "app/comando.h"
#include "app/lettore.h"
#include "app/stato.h"
#include "report/pagine.h"
#include "solver/inserisci.h"

int main(int argc, char *argv[]) {
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
  }
  if (!puzzle.valida) {
    console(messaggiolettura(comando.fileinput, puzzle));
    return 2;
  }

  preparastato(static_cast<int>(puzzle.griglia.size()));
  tabella = puzzle.griglia;
  tabellaold = puzzle.griglia;
  console("\nTabella iniziale:\n\n" + ecogriglia(tabella));
  tp0 = orologio();

  int stato = 3;
  if (inserisci(tabella, 0, 0)) {
    tp1 = orologio();
    stato = stampatabella(tabella, passi) ? 1 : 2;
  } else {
    // No page: whatever pages stand in the folder belong to an earlier run.
    console("\n\nNessuna soluzione.");
  }
  console("\n\nEsecuzione terminata.");
  console("\nPremere un tasto per chiudere questa finestra.\n");
  std::getchar();
  return stato;
}
