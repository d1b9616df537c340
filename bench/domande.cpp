#include "domande.h"

#include <ctime>
#include <fstream>
#include <istream>
#include <ostream>
#include <type_traits>
#include <utility>

#include "solver/completamento.h"
#include "solver/ricercacon.h"

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

namespace {

// The program's check, with every event the search tells it written to f
// as a line: "e FIGLIO K c1 x1 ... ck xk" a node entered (entra: FIGLIO 0
// or 1, its K cells and their values), "u" the top node left (esci),
// "c A I J V CREDITO" a question (chiedi).  The side comes first, when the
// check is prepared.
template <int W> class Registratore {
public:
  explicit Registratore(std::ostream &f) : f(f) {}
  void prepara(int n, const Opzioni &o, const Conto &conto) {
    f << n << '\n';
    k.prepara(n, o, conto);
  }
  bool pronto() const { return k.pronto(); }
  void entra(const std::vector<int> &celle, const Griglia &g, bool figlio) {
    f << "e " << figlio << ' ' << celle.size();
    for (int c : celle)
      f << ' ' << c << ' ' << g[c / g.size()][c % g.size()];
    f << '\n';
    k.entra(celle, g, figlio);
  }
  void esci() {
    f << "u\n";
    k.esci();
  }
  Responso chiedi(std::size_t a, int i, int j, int v, long long credito) {
    f << "c " << a << ' ' << i << ' ' << j << ' ' << v << ' ' << credito << '\n';
    return k.chiedi(a, i, j, v, credito);
  }

private:
  std::ostream &f;
  Completamento<W> k;
};

// Replays the events of f (after the side n) on a check of settings o.
template <int W> Esito riascoltadi(std::istream &f, int n, const Opzioni &o) {
  Esito e;
  const Conto conto(o, n);
  Completamento<W> k;
  k.prepara(n, o, conto);
  Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  std::vector<int> celle;
  double tempo = 0;
  char evento;
  std::size_t a, quante;
  int i, j, v;
  long long credito;
  while (f >> evento) {
    if (evento == 'u') {
      k.esci();
    } else if (evento == 'e' && f >> a >> quante) { // a: the child of the value asked last
      celle.resize(quante);
      for (int &c : celle)
        f >> c >> g[static_cast<std::size_t>(c / n)][static_cast<std::size_t>(c % n)];
      k.entra(celle, g, a != 0);
    } else if (evento == 'c' && f >> a >> i >> j >> v >> credito) {
      const std::clock_t t = std::clock();
      const Responso r = k.chiedi(a, i, j, v, credito);
      tempo += static_cast<double>(std::clock() - t);
      ++e.domande;
      ++(r.risposta == Risposta::si ? e.si : r.risposta == Risposta::no ? e.no : e.forse);
      e.unita += r.spesi;
      e.testimoni += r.testimone;
    } else {
      return {};
    }
  }
  e.secondi = tempo / CLOCKS_PER_SEC;
  e.letto = f.eof();
  return e;
}

} // namespace

bool registra(const Griglia &g, const Opzioni &o, const std::string &file) {
  std::ofstream f(file);
  preparastato(static_cast<int>(g.size()));
  tabella = tabellaold = g;
  primozero = 1; // no console report
  std::ostream &uscita = f;
  ricerca::cerca<Registratore>(tabella, 0, 0, o, uscita);
  return static_cast<bool>(f.flush());
}

Esito riascolta(const std::string &file, const Opzioni &o) {
  std::ifstream f(file);
  int n = 0;
  if (!(f >> n) || n < 1 || n > LATO_MASSIMO)
    return {};
  return n <= 64 ? riascoltadi<1>(f, n, o) : riascoltadi<2>(f, n, o);
}

std::vector<Griglia> campiona(const std::string &file, long long ogni) {
  std::ifstream f(file);
  int n = 0;
  std::vector<Griglia> campione;
  if (!(f >> n) || n < 1 || n > LATO_MASSIMO || ogni < 1)
    return campione;
  // The cells each level of the path tells, with their values, root first.
  std::vector<std::vector<std::pair<int, int>>> livelli;
  long long k = 0;
  char evento;
  std::size_t a, quante;
  int i, j, v;
  long long credito;
  while (f >> evento) {
    if (evento == 'u' && !livelli.empty()) {
      livelli.pop_back();
    } else if (evento == 'e' && f >> a >> quante) {
      livelli.emplace_back(quante);
      for (auto &[c, x] : livelli.back())
        f >> c >> x;
    } else if (evento == 'c' && f >> a >> i >> j >> v >> credito && a < livelli.size()) {
      if (++k % ogni != 0)
        continue;
      Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
      for (std::size_t l = 0; l <= a; ++l)
        for (const auto &[c, x] : livelli[l])
          g[static_cast<std::size_t>(c / n)][static_cast<std::size_t>(c % n)] = x;
      g[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = v;
      campione.push_back(std::move(g));
    } else {
      break; // a record cut short ends the sample
    }
  }
  return campione;
}

} // namespace domande
