#include "app/stato.h"

#include <charconv>
#include <cstdio>

int grandezza = 0;
Griglia tabella;
Griglia tabellaold;
Griglia passi;
int classifica = 0;
int primozero = 0;
std::int32_t tp0 = 0;
std::int32_t tp1 = 0;

void preparastato(int n) {
  grandezza = n;
  tabella.assign(n, std::vector<int>(n, 0));
  tabellaold.assign(n, std::vector<int>(n, 0));
  classifica = 0;
  primozero = 0;
  passi.assign(n, std::vector<int>(n, 0));
}

std::string ecogriglia(const Griglia &g) {
  std::string s;
  s.reserve(g.size() * (g.size() * 3 + 2) + 1);
  char buf[16];
  for (const auto &riga : g) {
    for (int v : riga) {
      // "%2d ": right-aligned in at least two columns, then a space.
      char *fine = std::to_chars(buf, buf + sizeof buf, v).ptr;
      if (fine - buf < 2)
        s += ' ';
      s.append(buf, fine);
      s += ' ';
    }
    s += '\n';
  }
  s += '\n';
  return s;
}

void console(std::string_view testo) {
  std::fwrite(testo.data(), 1, testo.size(), stderr);
}
