#include "solver/sat.h"

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <span>

#include <cadical.hpp>

#include "app/geometria.h"

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

// Exactly one of the literals, or at most one when `almeno` is false; "at
// most one" between any two (a sequential counter took more conflicts and
// time on every set replayed).
void unodi(CaDiCaL::Solver &s, std::span<const int> lits, bool almeno) {
  if (almeno) {
    for (int l : lits)
      s.add(l);
    s.add(0);
  }
  for (std::size_t a = 0; a < lits.size(); ++a)
    for (std::size_t b = a + 1; b < lits.size(); ++b)
      for (int l : {-lits[a], -lits[b], 0})
        s.add(l);
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
  modello.assign(static_cast<std::size_t>(s.n * s.n), 0);
  for (std::size_t c = 0; c + 1 < s.inizio.size(); ++c)
    for (int x = s.inizio[c]; x < s.inizio[c + 1]; ++x)
      if (s.motore->sat.val(x + 1) > 0)
        modello[c] = s.valori[static_cast<std::size_t>(x)];
}

// The variable of "cell c holds v" (1..n), 0 when v was impossible there.
int variabile(const Sat &s, int c, int v) {
  const auto da = s.valori.begin() + s.inizio[static_cast<std::size_t>(c)];
  const auto a = s.valori.begin() + s.inizio[static_cast<std::size_t>(c + 1)];
  const auto x = std::lower_bound(da, a, v);
  return x != a && *x == v ? static_cast<int>(x - s.valori.begin()) + 1 : 0;
}

// Calls f(lits, almeno) for each group of variables of which at most one
// holds (at least one too when almeno): each cell's values, then each
// value's cells in every row, every column and every box, band by band
// ((n / q)^2 boxes of q * q cells, which hold every value when that is n),
// in cell order.  A group may be empty: then no completion exists.
template <class F> void pergruppo(const Sat &s, F f) {
  const Quadrati quadrati(s.n);
  const int n = s.n, q = quadrati.q, bande = quadrati.bande;
  std::vector<int> lits(s.valori.size());
  std::iota(lits.begin(), lits.end(), 1);
  for (int c = 0; c < n * n; ++c) {
    const int da = s.inizio[static_cast<std::size_t>(c)];
    f(std::span<const int>(lits).subspan(static_cast<std::size_t>(da),
                                         static_cast<std::size_t>(s.inizio[c + 1U] - da)),
      true);
  }
  // The cell at place p of unit x: row x, column x - n, or box x - 2n.
  const auto cella = [&](int x, int p) {
    return x < n ? x * n + p : x < 2 * n ? p * n + x - n : quadrati.cellaalposto(x - 2 * n, p);
  };
  for (int x = 0; x < 2 * n + bande * bande; ++x)
    for (int v = 1; v <= n; ++v) {
      lits.clear();
      for (int p = 0; p < (x < 2 * n ? n : q * q); ++p)
        if (const int l = variabile(s, cella(x, p), v))
          lits.push_back(l);
      f(std::span<const int>(lits), x < 2 * n || q * q == n);
    }
}

} // namespace

void contasat(Sat &s, int n, const std::vector<int> &radice, const std::vector<int> &valori,
              const std::vector<int> &inizio) {
  s.n = n;
  s.radice = radice;
  s.unicita = Sat::Unicita::ignota;
  s.soluzione.clear();
  s.valori = valori;
  s.inizio = inizio;
  s.coppie = 0;
  pergruppo(s, [&](std::span<const int> lits, bool) {
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
  sat.reserve(static_cast<int>(s.valori.size()));
  pergruppo(s, [&](std::span<const int> lits, bool almeno) { unodi(sat, lits, almeno); });
  sat.connect_learner(s.motore.get());
}

Risposta chiedisat(Sat &s, const std::vector<int> &griglia, int c, int v, long long limite,
                   const std::vector<int> &escluse) {
  s.spesi = 0;
  const int n = s.n;
  CaDiCaL::Solver &sat = s.motore->sat;
  const auto var = [&](int cella, int valore) { return variabile(s, cella, valore); };
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
  for (int e : escluse)
    if (const int l = var(e / n, e % n + 1))
      sat.assume(-l);
  const int esito = risolvi(s, limite);
  if (esito == 10)
    leggimodello(s, s.modello);
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
        s.motore->sat.add(-variabile(s, c, s.soluzione[static_cast<std::size_t>(c)]));
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
    for (int l : {-s.attiva, 0})
      s.motore->sat.add(l);
}
