#include "filetesto.h"

#include <fstream>
#include <sstream>

std::string leggitutto(const std::string &percorso) {
  std::ifstream f(percorso, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void scrivitutto(const std::string &percorso, const std::string &testo) {
  std::ofstream f(percorso, std::ios::binary);
  f << testo;
}
