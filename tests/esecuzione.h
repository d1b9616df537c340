// Runs the real program in a fresh temporary folder, with standard input
// closed (on Windows: NUL) and no desktop session, and collects what it
// left behind. On Windows the run also waits for whatever the program
// started ("start out.html"), and a run that hangs fails the test.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How every run that reaches its end ends its console text.
inline const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

// What the tests put in place of both pages of an earlier run.
inline const std::string VECCHIA = "pagina di una corsa precedente\n";

// How a run of a puzzle without solution ends: its exit status, and the
// text printed after the root's deduction report and its "Sottoramo" lines.
inline constexpr int STATO_SENZA_SOLUZIONE = 3;
inline constexpr std::string_view FINE_SENZA_SOLUZIONE =
    "\n\nNessuna soluzione.\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa "
    "finestra.\n";

struct Corsa {
  int stato = -1;                   // exit status (-1 if it did not exit normally)
  std::string errori;               // everything written on standard error
  std::string uscita;               // everything written on standard output
  std::optional<std::string> out;   // out.html, if written
  std::optional<std::string> out4f; // out4F.html, if written
  // Where the environment names one (SUDOKU_PAGINE_APERTE, set for the runs
  // under Wine), the file in which a stand-in HTML viewer notes each page
  // it was asked to open; empty if it was asked nothing.
  std::optional<std::string> aperte;
  long memoriakb = 0; // peak resident memory of the run in KiB (0 where not known)
  // The other files the run left in its folder (besides in.txt, the pages,
  // the captured streams and the stand-in viewer's notes), sorted.
  std::vector<std::string> altrifile;
};

// What a run may meet besides its folder (POSIX only): a limit on its
// address space in KiB (0: none), a descriptor to use as its standard
// error in place of a file (-1: a file, read back into Corsa::errori), the
// user it runs as (-1: the test's own; another needs the test to be root),
// the program (empty: the program under test, linked as its preset says)
// and variables added to its environment ("NOME=VALORE").
struct Condizioni {
  long memoriakb = 0;
  int errori = -1;
  long utente = -1;
  std::string programma;
  std::vector<std::string> ambiente;
};

// Writes puzzle (when given) to "in.txt" in a new folder, lets prepara touch
// the folder, runs the program there with argomenti, and removes the folder.
Corsa esegui(const std::optional<std::string> &puzzle,
             const std::vector<std::string> &argomenti = {"-i", "in.txt"},
             const std::function<void(const std::string &cartella)> &prepara = {},
             const Condizioni &condizioni = {});

// Runs the program once more in a folder of esegui's (from prepara, or while
// that run goes on), its streams discarded; returns its exit status.
int eseguiancora(const std::string &cartella, const std::vector<std::string> &argomenti);

// The time line of out.html holds a measured value: blank it for comparison.
std::string senzatempo(std::string pagina);

// The program writes its pages and its console text in text mode, so on
// Windows every line feed reaches the file as CR LF: testo with the line
// ends of this platform, for comparing exact text.
std::string acapo(std::string_view testo);
