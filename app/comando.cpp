#include "app/comando.h"

#include <cstring>

Comando leggicomando(int argc, const char *const argv[]) {
  Comando c;
  c.fileinput = "in.txt";
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "-i") != 0)
      continue;
    if (k + 1 >= argc) {
      c.valido = false;
      c.errore = "Errore: l'opzione -i richiede il nome del file del puzzle\n";
    } else {
      c.fileinput = argv[k + 1];
    }
    break;
  }
  return c;
}
