#include "report/intestazione.h"

#include "app/stato.h"

std::vector<char> ombre(int n) {
  std::vector<char> o(static_cast<std::size_t>(n) * n);
  Ombreggiatura parita{latoquadrato(n)};
  for (int i = 0; i < n; ++i) {
    parita.riga(i);
    for (int j = 0; j < n; ++j)
      o[static_cast<std::size_t>(i) * n + j] = parita.cella(j) ? 1 : 0;
  }
  return o;
}
