#include "solver/sat.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <span>

#include <cadical.hpp>

#include "app/geometria.h"
#include "solver/corsa.h"

// One engine, with a counter of its conflicts (one clause learnt each):
// its work is bounded by its own conflict limit, the counter only tells
// what a call spent.  In a race it also stops once another has answered.
struct Motore : CaDiCaL::Learner, CaDiCaL::Terminator {
  CaDiCaL::Solver sat;
  long long conflitti = 0;
  const std::atomic<bool> *vinta = nullptr; // the race it runs in was won (null: runs alone)
  bool learning(int) override {
    ++conflitti;
    return false;
  }
  void learn(int) override {}
  bool terminate() override { return vinta->load(std::memory_order_relaxed); }
};

// The engines of one search, holding the same clauses.
struct MotoreSat {
  std::vector<std::unique_ptr<Motore>> motori; // 1..quanti built; the first takes questions
                                               // alone first, the others come at the first race
  int quanti = 1;                              // engines to race (1..64)
  long long primadellacorsa = 0;               // conflicts the first spends alone on each (0..)
  std::vector<int> aggiunte;       // clauses added after the first grid's, each ending in 0, for
                                   // the engines built later
  std::atomic<bool> vinta = false; // an engine of the running race answered (false between races)
  int vincitore = 0;               // the engine whose answer the last call gave
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

// Engine e solves under `assunti` for at most `limite` conflicts
// (-1: no limit); 10 satisfiable, 20 not, 0 stopped.
int risolviuno(Motore &e, std::span<const int> assunti, long long limite) {
  e.conflitti = 0;
  for (int l : assunti)
    e.sat.assume(l);
  e.sat.limit("conflicts", static_cast<int>(std::clamp<long long>(limite, 0, 1 << 30)));
  return e.sat.solve();
}

void leggimodello(const Sat &s, std::vector<int> &modello) {
  modello.assign(static_cast<std::size_t>(s.n * s.n), 0);
  for (std::size_t c = 0; c + 1 < s.inizio.size(); ++c)
    for (int x = s.inizio[c]; x < s.inizio[c + 1]; ++x)
      if (s.motore->motori[s.motore->vincitore]->sat.val(x + 1) > 0)
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

namespace {

// Engine x of a race: the first as it always was; so that the others' runs
// differ, every other one starts from "false" for each variable (a cell
// holds most of its values false), and two in four keep CaDiCaL's default
// configuration.  Alone, on four hard 25 x 25 puzzles, starting from
// "false" took 5 to 13 % more conflicts than the first, the default
// configuration 5 to 56 % more; a seed of its own, which each also gets,
// changed nothing there.
void costruisci(const Sat &s, Motore &e, int x) {
  CaDiCaL::Solver &sat = e.sat;
  sat.set("quiet", 1); // it must print nothing: the program's output is its own
  // Stabilising mode only (its "sat" configuration): long phases that keep
  // to the saved values suit questions whose grids differ little; on the
  // hard 25 x 25 collection's questions it took a quarter fewer conflicts.
  if (x % 4 < 2)
    sat.configure("sat");
  if (x > 0) {
    sat.set("seed", x);
    sat.set("phase", x % 2 == 0);
  }
  sat.reserve(static_cast<int>(s.valori.size()));
  pergruppo(s, [&](std::span<const int> lits, bool almeno) { unodi(sat, lits, almeno); });
  sat.connect_learner(&e);
}

// Adds the clauses `lits` (each ending in 0) to engine e, with their
// variables.
void replica(Motore &e, std::span<const int> lits) {
  int alto = 0;
  for (int l : lits)
    alto = std::max(alto, std::abs(l));
  e.sat.reserve(alto);
  for (int l : lits)
    e.sat.add(l);
}

// Adds the clause `lits` (ending in 0) to every engine, and keeps it for
// those built later.
void aggiungi(MotoreSat &m, std::span<const int> lits) {
  for (const auto &e : m.motori)
    replica(*e, lits);
  m.aggiunte.insert(m.aggiunte.end(), lits.begin(), lits.end());
}

// Builds the engines still to race, each on a thread of its own, with
// the clauses added since the first was built; from now on every engine
// stops once another has answered.
void completa(Sat &s) {
  MotoreSat &m = *s.motore;
  const std::size_t da = m.motori.size();
  while (static_cast<int>(m.motori.size()) < m.quanti)
    m.motori.push_back(std::make_unique<Motore>());
  corri(m.quanti - static_cast<int>(da), [&](int x) {
    Motore &e = *m.motori[da + static_cast<std::size_t>(x)];
    costruisci(s, e, static_cast<int>(da) + x);
    replica(e, m.aggiunte);
  });
  for (const auto &e : m.motori) {
    e->vinta = &m.vinta;
    e->sat.connect_terminator(e.get());
  }
}

// Solves under `assunti` for at most `limite` conflicts: the first engine
// alone for its first ones, then, when `gara`, all of them at once, the
// first exact answer stopping the rest.  10 satisfiable, 20 not, 0 stopped; the model
// is the winner's (vincitore).
int risolvi(Sat &s, std::span<const int> assunti, long long limite, bool gara = true) {
  MotoreSat &m = *s.motore;
  const int quanti = gara ? m.quanti : 1;
  const long long prima = quanti == 1 ? limite : std::min(limite, m.primadellacorsa);
  m.vincitore = 0;
  int esito = risolviuno(*m.motori[0], assunti, prima);
  s.spesi = m.motori[0]->conflitti;
  if (esito != 0 || quanti == 1 || limite <= prima)
    return esito;
  if (static_cast<int>(m.motori.size()) < quanti)
    completa(s);
  std::vector<int> esiti(static_cast<std::size_t>(quanti));
  corri(quanti, [&](int x) {
    esiti[static_cast<std::size_t>(x)] = risolviuno(*m.motori[x], assunti, limite - prima);
    if (esiti[static_cast<std::size_t>(x)] != 0 && !m.vinta.exchange(true))
      m.vincitore = x;
  });
  // Else the first engine would stop at once on the next question alone.
  m.vinta = false;
  long long spesi = 0;
  for (const auto &e : m.motori)
    spesi = std::max(spesi, e->conflitti);
  esito = esiti[static_cast<std::size_t>(m.vincitore)];
  s.spesi += esito != 0 ? m.motori[m.vincitore]->conflitti : spesi;
  return esito;
}

} // namespace

void avviasat(Sat &s, int motori, long long primadellacorsa) {
  s.motore.reset(new MotoreSat);
  MotoreSat &m = *s.motore;
  m.quanti = motori;
  m.primadellacorsa = primadellacorsa;
  m.motori.push_back(std::make_unique<Motore>());
  costruisci(s, *m.motori[0], 0);
}

Risposta chiedisat(Sat &s, const std::vector<int> &griglia, int c, int v, long long limite,
                   const std::vector<int> &escluse) {
  s.spesi = 0;
  const int n = s.n;
  const auto var = [&](int cella, int valore) { return variabile(s, cella, valore); };
  if (var(c, v) == 0)
    return Risposta::no;
  std::vector<int> assunti;
  for (int x = 0; x < n * n; ++x) {
    const int g = griglia[static_cast<std::size_t>(x)];
    if (x == c || g == s.radice[static_cast<std::size_t>(x)])
      continue;
    if (g != 0 && var(x, g) == 0)
      return Risposta::no;
    if (g != 0)
      assunti.push_back(var(x, g));
  }
  assunti.push_back(var(c, v));
  for (int e : escluse)
    if (const int l = var(e / n, e % n + 1))
      assunti.push_back(-l);
  const int esito = risolvi(s, assunti, limite);
  if (esito == 10)
    leggimodello(s, s.modello);
  return esito == 10 ? Risposta::si : esito == 20 ? Risposta::no : Risposta::forse;
}

void avanzaunicita(Sat &s, long long limite) {
  s.spesi = 0;
  if (s.unicita != Sat::Unicita::ignota && s.unicita != Sat::Unicita::verifica)
    return;
  std::vector<int> assunti;
  if (s.unicita == Sat::Unicita::verifica)
    assunti.push_back(s.attiva);
  // On the first engine alone: on the hard 25 x 25 puzzles, where the
  // proof is most of the time, the engines raced on it took about as many
  // conflicts each, so a race only doubled the processor time.
  const int esito = risolvi(s, assunti, limite, false);
  const int n = s.n;
  MotoreSat &m = *s.motore;
  if (s.unicita == Sat::Unicita::ignota && esito == 10) {
    // Another completion differs from this one in a cell empty in radice;
    // the clause binds only while `attiva` is assumed, so the questions,
    // which never assume it, are answered as before.
    leggimodello(s, s.soluzione);
    s.attiva = m.motori[0]->sat.vars() + 1;
    std::vector<int> diversa{-s.attiva};
    for (int c = 0; c < n * n; ++c)
      if (s.radice[static_cast<std::size_t>(c)] == 0)
        diversa.push_back(-variabile(s, c, s.soluzione[static_cast<std::size_t>(c)]));
    diversa.push_back(0);
    aggiungi(m, diversa);
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
    aggiungi(m, std::array{-s.attiva, 0});
}
