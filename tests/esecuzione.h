// Runs the real program in a fresh temporary folder, with standard input
// closed and no desktop session, and collects what it left behind.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Corsa {
  int stato = -1;                   // exit status (-1 if it did not exit normally)
  std::string errori;               // everything written on standard error
  std::string uscita;               // everything written on standard output
  std::optional<std::string> out;   // out.html, if written
  std::optional<std::string> out4f; // out4F.html, if written
};

// Writes puzzle (when given) to "in.txt" in a new folder, lets prepara touch
// the folder, runs the program there with argomenti, and removes the folder.
Corsa esegui(const std::optional<std::string> &puzzle,
             const std::vector<std::string> &argomenti = {"-i", "in.txt"},
             const std::function<void(const std::string &cartella)> &prepara = {});

std::string leggitutto(const std::string &percorso);
void scrivitutto(const std::string &percorso, const std::string &testo);

// The time line of out.html holds a measured value: blank it for comparison.
std::string senzatempo(std::string pagina);
