#include "domande.h"

#include <algorithm>
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

// One recorded event (see Registratore): its kind, then a node's child flag
// and cells, or a question's level, cell, value and credit.
struct Evento {
  char tipo = 0;
  std::size_t a = 0;
  std::vector<std::pair<int, int>> celle;
  int i = 0, j = 0, v = 0;
  long long credito = 0;
};

// Reads the next event of f; false at the end or on a malformed line
// (`guasto` then set).
bool leggievento(std::istream &f, Evento &e, bool &guasto) {
  std::size_t quante = 0;
  if (!(f >> e.tipo))
    return false;
  if (e.tipo == 'u')
    return true;
  if (e.tipo == 'e' && f >> e.a >> quante) {
    e.celle.resize(quante);
    for (auto &[c, x] : e.celle)
      f >> c >> x;
    return static_cast<bool>(f);
  }
  if (e.tipo == 'c' && f >> e.a >> e.i >> e.j >> e.v >> e.credito)
    return true;
  guasto = true;
  return false;
}

// Processor seconds of f().
template <class F> double cronometra(F f) {
  const std::clock_t t = std::clock();
  f();
  return static_cast<double>(std::clock() - t) / CLOCKS_PER_SEC;
}

// Replays the events of f (after the side n) on a check of settings o.
// With `anticipa`, a second check fed the same nodes takes, beside each
// question, the next one when the record asks it at the same cell right
// after; its exact answer spares the first check that question.  `parete`
// is then the wall time two processors would take, each pair counting as
// the longer of its two.
template <int W> Esito riascoltadi(std::istream &f, int n, const Opzioni &o, bool anticipa) {
  Esito e;
  const Conto conto(o, n);
  Completamento<W> k, secondo;
  k.prepara(n, o, conto);
  if (anticipa)
    secondo.prepara(n, o, conto);
  Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  std::vector<int> celle;
  const auto conta = [&](const Responso &r) {
    ++e.domande;
    ++(r.risposta == Risposta::si ? e.si : r.risposta == Risposta::no ? e.no : e.forse);
    e.unita += r.spesi;
    e.testimoni += r.testimone;
  };
  bool guasto = false, anticipata = false;
  Responso pronta; // the second check's answer to the question now read, when anticipata
  Evento ora, dopo;
  bool altro = leggievento(f, dopo, guasto);
  while (altro) {
    std::swap(ora, dopo);
    altro = leggievento(f, dopo, guasto);
    if (ora.tipo == 'u') {
      k.esci();
      if (anticipa)
        secondo.esci();
    } else if (ora.tipo == 'e') {
      celle.clear();
      for (const auto &[c, x] : ora.celle) {
        celle.push_back(c);
        g[static_cast<std::size_t>(c / n)][static_cast<std::size_t>(c % n)] = x;
      }
      k.entra(celle, g, ora.a != 0);
      if (anticipa)
        secondo.entra(celle, g, ora.a != 0);
    } else if (anticipata && pronta.risposta != Risposta::forse) {
      anticipata = false;
      ++e.anticipate;
      conta(pronta);
    } else {
      anticipata = false;
      Responso r;
      const double t = cronometra([&] { r = k.chiedi(ora.a, ora.i, ora.j, ora.v, ora.credito); });
      e.secondi += t;
      double parallela = 0;
      if (anticipa && altro && dopo.tipo == 'c' && dopo.a == ora.a && dopo.i == ora.i &&
          dopo.j == ora.j) {
        parallela = cronometra(
            [&] { pronta = secondo.chiedi(dopo.a, dopo.i, dopo.j, dopo.v, dopo.credito); });
        anticipata = true;
        e.secondi += parallela;
      }
      e.parete += std::max(t, parallela);
      conta(r);
    }
  }
  e.letto = !guasto && f.eof();
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

Esito riascolta(const std::string &file, const Opzioni &o, bool anticipa) {
  std::ifstream f(file);
  int n = 0;
  if (!(f >> n) || n < 1 || n > LATO_MASSIMO)
    return {};
  return n <= 64 ? riascoltadi<1>(f, n, o, anticipa) : riascoltadi<2>(f, n, o, anticipa);
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
