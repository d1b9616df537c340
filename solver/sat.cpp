#include "solver/sat.h"

#include <algorithm>
#include <initializer_list>

#include <cadical.hpp>

#include "app/stato.h"

// The solver, with a counter of its conflicts (one clause learnt each): its
// work is bounded by its own conflict limit, the counter only tells what a
// call spent.
struct MotoreSat : CaDiCaL::Learner {
  CaDiCaL::Solver sat;
  long long conflitti = 0;
  bool learning(int) override {
    ++conflitti;
    return false;
  }
  void learn(int) override {}
};

void ChiudiMotoreSat::operator()(MotoreSat *m) const {
  delete m;
}

namespace {

void clausola(CaDiCaL::Solver &s, std::initializer_list<int> lits) {
  for (int l : lits)
    s.add(l);
  s.add(0);
}

// Exactly one of the literals, or at most one when `almeno` is false; "at
// most one" between any two (a sequential counter took more conflicts and
// time on every set replayed).
void unodi(CaDiCaL::Solver &s, const std::vector<int> &lits, bool almeno) {
  if (almeno) {
    for (int l : lits)
      s.add(l);
    s.add(0);
  }
  for (std::size_t a = 0; a < lits.size(); ++a)
    for (std::size_t b = a + 1; b < lits.size(); ++b)
      clausola(s, {-lits[a], -lits[b]});
}

// Solves under the assumptions already made, for at most `limite`
// conflicts (-1: no limit); 10 satisfiable, 20 not, 0 stopped.
int risolvi(Sat &s, long long limite) {
  MotoreSat &m = *s.motore;
  m.conflitti = 0;
  m.sat.limit("conflicts", static_cast<int>(std::clamp<long long>(limite, 0, 1 << 30)));
  const int esito = m.sat.solve();
  s.spesi = m.conflitti;
  return esito;
}

void leggimodello(const Sat &s, std::vector<int> &modello) {
  const int n = s.n;
  modello.assign(static_cast<std::size_t>(n * n), 0);
  for (int c = 0; c < n * n; ++c)
    for (int v = 0; v < n; ++v) {
      const int x = s.variabile[static_cast<std::size_t>(c * n + v)];
      if (x != 0 && s.motore->sat.val(x) > 0)
        modello[static_cast<std::size_t>(c)] = v + 1;
    }
}

} // namespace

namespace {

// Calls f(lits, almeno) for each group of variables of which at most one
// holds (at least one too when almeno): each cell's values, and each
// value's cells in a row (x = 0), column (1) and box (2): n rows and
// columns of n cells, (n / q)^2 boxes of q * q cells, which hold every
// value when that is n.
template <class F> void pergruppo(const Sat &s, F f) {
  const int n = s.n, q = latoquadrato(n), bande = n / q;
  std::vector<int> lits;
  for (int c = 0; c < n * n; ++c) {
    lits.clear();
    for (int v = 0; v < n; ++v)
      if (const int x = s.variabile[static_cast<std::size_t>(c * n + v)]; x != 0)
        lits.push_back(x);
    f(lits, true);
  }
  for (int x = 0; x < 3; ++x)
    for (int unita = 0; unita < (x < 2 ? n : bande * bande); ++unita)
      for (int v = 0; v < n; ++v) {
        lits.clear();
        for (int k = 0; k < (x < 2 ? n : q * q); ++k) {
          const int i = x == 0 ? unita : x == 1 ? k : unita / bande * q + k / q;
          const int j = x == 0 ? k : x == 1 ? unita : unita % bande * q + k % q;
          if (const int y = s.variabile[static_cast<std::size_t>((i * n + j) * n + v)]; y != 0)
            lits.push_back(y);
        }
        f(lits, x < 2 || q * q == n);
      }
}

} // namespace

void contasat(Sat &s, int n, const std::vector<int> &radice, const std::vector<char> &possibili) {
  s.n = n;
  s.radice = radice;
  s.unicita = Sat::Unicita::ignota;
  s.soluzione.clear();
  s.variabile.assign(static_cast<std::size_t>(n * n * n), 0);
  s.variabili = 0;
  for (int c = 0; c < n * n; ++c)
    for (int v = 0; v < n; ++v) {
      const int x = radice[static_cast<std::size_t>(c)];
      if (x != 0 ? x == v + 1 : possibili[static_cast<std::size_t>(c * n + v)] != 0)
        s.variabile[static_cast<std::size_t>(c * n + v)] = ++s.variabili;
    }
  s.coppie = 0;
  pergruppo(s, [&](const std::vector<int> &lits, bool) {
    s.coppie += static_cast<long long>(lits.size()) * (static_cast<long long>(lits.size()) - 1) / 2;
  });
}

void avviasat(Sat &s) {
  s.motore.reset(new MotoreSat);
  CaDiCaL::Solver &sat = s.motore->sat;
  sat.set("quiet", 1); // it must print nothing: the program's output is its own
  // Stabilising mode only (its "sat" configuration): long phases that keep
  // to the saved values suit questions whose grids differ little; on the
  // hard 25 x 25 collection's questions it took a quarter fewer conflicts.
  sat.configure("sat");
  sat.reserve(s.variabili);
  pergruppo(s, [&](const std::vector<int> &lits, bool almeno) { unodi(sat, lits, almeno); });
  sat.connect_learner(s.motore.get());
}

Risposta chiedisat(Sat &s, const std::vector<int> &griglia, int c, int v, long long limite,
                   std::vector<int> &modello) {
  s.spesi = 0;
  const int n = s.n;
  CaDiCaL::Solver &sat = s.motore->sat;
  const auto var = [&](int cella, int valore) {
    return s.variabile[static_cast<std::size_t>(cella * n + valore - 1)];
  };
  if (var(c, v) == 0)
    return Risposta::no;
  for (int x = 0; x < n * n; ++x) {
    const int g = griglia[static_cast<std::size_t>(x)];
    if (x == c || g == s.radice[static_cast<std::size_t>(x)])
      continue;
    if (g != 0 && var(x, g) == 0)
      return Risposta::no;
    if (g != 0)
      sat.assume(var(x, g));
  }
  sat.assume(var(c, v));
  const int esito = risolvi(s, limite);
  if (esito == 10)
    leggimodello(s, modello);
  return esito == 10 ? Risposta::si : esito == 20 ? Risposta::no : Risposta::forse;
}

void avanzaunicita(Sat &s, long long limite) {
  s.spesi = 0;
  if (s.unicita != Sat::Unicita::ignota && s.unicita != Sat::Unicita::verifica)
    return;
  if (s.unicita == Sat::Unicita::verifica)
    s.motore->sat.assume(s.attiva);
  const int esito = risolvi(s, limite);
  const int n = s.n;
  if (s.unicita == Sat::Unicita::ignota && esito == 10) {
    // Another completion differs from this one in a cell empty in radice;
    // the clause binds only while `attiva` is assumed, so the questions,
    // which never assume it, are answered as before.
    leggimodello(s, s.soluzione);
    s.attiva = s.motore->sat.vars() + 1;
    s.motore->sat.reserve(s.attiva);
    s.motore->sat.add(-s.attiva);
    for (int c = 0; c < n * n; ++c)
      if (s.radice[static_cast<std::size_t>(c)] == 0)
        s.motore->sat.add(-s.variabile[static_cast<std::size_t>(
            c * n + s.soluzione[static_cast<std::size_t>(c)] - 1)]);
    s.motore->sat.add(0);
    s.unicita = Sat::Unicita::verifica;
  } else if (esito == 20) {
    s.unicita = s.unicita == Sat::Unicita::ignota ? Sat::Unicita::nessuna : Sat::Unicita::unica;
  } else if (esito == 10) {
    s.unicita = Sat::Unicita::molte;
  }
  // Once the answer is known, it answers every question: the solver is
  // needed no more.  With several completions the questions still need it.
  if (s.unicita == Sat::Unicita::unica || s.unicita == Sat::Unicita::nessuna)
    s.motore.reset();
  else if (s.unicita == Sat::Unicita::molte)
    clausola(s.motore->sat, {-s.attiva});
}
