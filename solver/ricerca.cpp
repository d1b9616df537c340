#include "solver/ricerca.h"

#include "solver/completamento.h"
#include "solver/ricercacon.h"

// Each filter gathers the values its unit holds, then drops them at once.
Riga prendiriga(Riga possibili, int i, const Griglia &g) {
  Riga presenti;
  for (int v : g[i])
    aggiungivalore(presenti, v);
  return senza(possibili, presenti);
}

Riga prendicolonna(Riga possibili, int j, const Griglia &g) {
  Riga presenti;
  for (const auto &riga : g)
    aggiungivalore(presenti, riga[j]);
  return senza(possibili, presenti);
}

Riga prendiquadrato(Riga possibili, int i, int j, const Griglia &g) {
  const Limiti l = limiti(i, j, latoquadrato(static_cast<int>(g.size())));
  Riga presenti;
  for (int r = l.minriga; r < l.maxriga; ++r)
    for (int k = l.mincol; k < l.maxcol; ++k)
      aggiungivalore(presenti, g[r][k]);
  return senza(possibili, presenti);
}

EsitoRicerca inserisci(Griglia &g, int i, int j, const Opzioni &o) {
  return ricerca::cerca<Completamento>(g, i, j, o);
}
