#include "domande.h"

#include <ctime>
#include <fstream>
#include <type_traits>
#include <utility>

#include "chiedigriglia.h"
#include "solver/completamento.h"
#include "solver/ricerca.h"

namespace domande {

bool imposta(Opzioni &o, const std::string &nome, long long valore) {
  Opzioni nuove = o;
  bool trovato = false;
  perogniopzione(nuove, [&](const char *n, auto &campo, long long minimo, long long massimo) {
    if (nome == n && valore >= minimo && valore <= massimo) {
      campo = static_cast<std::remove_reference_t<decltype(campo)>>(valore);
      trovato = true;
    }
  });
  if (trovato)
    o = nuove;
  return trovato;
}

bool registra(const Griglia &g, const Opzioni &o, const std::string &file) {
  std::ofstream f(file);
  const int n = static_cast<int>(g.size());
  f << n << '\n';
  Griglia prima(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  std::vector<std::pair<int, int>> cambiate;
  const Ascolto ascolto = [&](const Griglia &h, int i, int j, int v, long long credito) {
    cambiate.clear();
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c)
        if (h[r][c] != prima[r][c])
          cambiate.emplace_back(r * n + c, prima[r][c] = h[r][c]);
    f << i << ' ' << j << ' ' << v << ' ' << credito << ' ' << cambiate.size();
    for (const auto &[c, x] : cambiate)
      f << ' ' << c << ' ' << x;
    f << '\n';
  };
  preparastato(n);
  tabella = tabellaold = g;
  primozero = 1; // no console report
  inserisci(tabella, 0, 0, o, ascolto);
  return static_cast<bool>(f.flush());
}

namespace {

template <int W> Esito riascoltadi(std::ifstream &f, int n, const Opzioni &o) {
  Esito e;
  ChiediGriglia<W> domande(n, o);
  const Completamento<W> &k = domande.k;
  Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  int i, j, v;
  long long credito;
  std::size_t quante;
  double tempo = 0;
  while (f >> i >> j >> v >> credito >> quante) {
    for (std::size_t m = 0; m < quante; ++m) {
      int c, x;
      f >> c >> x;
      g[static_cast<std::size_t>(c / n)][static_cast<std::size_t>(c % n)] = x;
    }
    const std::clock_t t = std::clock();
    const Risposta r = domande.chiedi(g, i, j, v, credito);
    tempo += static_cast<double>(std::clock() - t);
    ++e.domande;
    ++(r == Risposta::si ? e.si : r == Risposta::no ? e.no : e.forse);
    e.unita += k.spesi;
    e.testimoni += k.datestimone;
  }
  e.secondi = tempo / CLOCKS_PER_SEC;
  e.letto = f.eof();
  return e;
}

} // namespace

Esito riascolta(const std::string &file, const Opzioni &o) {
  std::ifstream f(file);
  int n = 0;
  if (!(f >> n) || n < 1 || n > LATO_MASSIMO)
    return {};
  return n <= 64 ? riascoltadi<1>(f, n, o) : riascoltadi<2>(f, n, o);
}

} // namespace domande
