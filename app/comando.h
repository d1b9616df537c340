// Command line of the program: "-i FILE" names the puzzle, default "in.txt".
#pragma once

#include <string>

struct Comando {
  bool valido = true;    // false when the arguments cannot be used
  std::string fileinput; // puzzle file name, when valido
  std::string errore;    // message line for the user, when !valido
};

// The first "-i" wins and stops the scan; every other argument is ignored.
Comando leggicomando(int argc, const char *const argv[]);
