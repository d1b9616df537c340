#include "app/stato.h"

#include <cmath>
#include <cstdio>
#include <ctime>

int grandezza = 0;
int quad = 1;
Griglia tabella;
Griglia tabellaold;
Griglia passi;
int classifica = 0;
int primozero = 0;
std::int32_t tp0 = 0;
std::int32_t tp1 = 0;

int latoquadrato(int n) {
  return static_cast<int>(std::sqrt(static_cast<double>(n)));
}

Limiti limiti(int i, int j, int q) {
  Limiti l{i, i + 1, j, j + 1};
  while (l.minriga % q != 0)
    --l.minriga;
  while (l.maxriga % q != 0)
    ++l.maxriga;
  while (l.mincol % q != 0)
    --l.mincol;
  while (l.maxcol % q != 0)
    ++l.maxcol;
  return l;
}

void preparastato(int n) {
  grandezza = n;
  quad = latoquadrato(n);
  tabella.assign(n, std::vector<int>(n, 0));
  tabellaold.assign(n, std::vector<int>(n, 0));
  classifica = 0;
  primozero = 0;
  passi.assign(n, std::vector<int>(n, 0));
}

std::string ecogriglia(const Griglia &g) {
  std::string s;
  char buf[16];
  for (const auto &riga : g) {
    for (int v : riga) {
      int len = std::snprintf(buf, sizeof buf, "%2d ", v);
      s.append(buf, static_cast<std::size_t>(len));
    }
    s += '\n';
  }
  s += '\n';
  return s;
}

void console(const std::string &testo) {
  std::fwrite(testo.data(), 1, testo.size(), stderr);
}

std::int32_t orologio() {
  return static_cast<std::int32_t>(static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC);
}
