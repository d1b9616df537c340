#include "solver/unicita.h"

#include <cadical.hpp>

// The solver, with a counter of its conflicts (one clause learnt each) that
// also stops it once past the allowance: the solver asks the terminator
// now and then, so it may run a few hundred conflicts past.
struct MotoreUnicita : CaDiCaL::Learner, CaDiCaL::Terminator {
  CaDiCaL::Solver sat;
  long long conflitti = 0, limite = 0;
  bool learning(int) override {
    ++conflitti;
    return false;
  }
  void learn(int) override {}
  bool terminate() override { return conflitti >= limite; }
};

void ChiudiMotore::operator()(MotoreUnicita *m) const {
  delete m;
}

namespace {

// Clause "at least one" of the literals, and "at most one" between any two.
void esattamenteuno(CaDiCaL::Solver &s, const std::vector<int> &lits) {
  for (int l : lits)
    s.add(l);
  s.add(0);
  for (std::size_t a = 0; a < lits.size(); ++a)
    for (std::size_t b = a + 1; b < lits.size(); ++b) {
      s.add(-lits[a]);
      s.add(-lits[b]);
      s.add(0);
    }
}

} // namespace

void avviaunicita(Unicita &u, int n, const std::vector<int> &base) {
  u.n = n;
  u.base = base;
  u.soluzione.clear();
  u.motore.reset(new MotoreUnicita);
  CaDiCaL::Solver &s = u.motore->sat;
  s.set("quiet", 1); // it must print nothing: the program's output is its own
  int q = 1;
  while ((q + 1) * (q + 1) <= n)
    ++q;
  // Variable c * n + v + 1: cell c holds v + 1.
  const auto var = [n](int c, int v) { return c * n + v + 1; };
  std::vector<int> lits(static_cast<std::size_t>(n));
  for (int c = 0; c < n * n; ++c) {
    for (int v = 0; v < n; ++v)
      lits[static_cast<std::size_t>(v)] = var(c, v);
    esattamenteuno(s, lits);
    if (base[static_cast<std::size_t>(c)] != 0) {
      s.add(var(c, base[static_cast<std::size_t>(c)] - 1));
      s.add(0);
    }
  }
  // Each value once in each row (x = 0), column (1) and box (2).
  for (int x = 0; x < 3; ++x)
    for (int unita = 0; unita < n; ++unita)
      for (int v = 0; v < n; ++v) {
        for (int k = 0; k < n; ++k) {
          const int i = x == 0 ? unita : x == 1 ? k : unita / q * q + k / q;
          const int j = x == 0 ? k : x == 1 ? unita : unita % q * q + k % q;
          lits[static_cast<std::size_t>(k)] = var(i * n + j, v);
        }
        esattamenteuno(s, lits);
      }
  s.connect_learner(u.motore.get());
  s.connect_terminator(u.motore.get());
  u.stato = Unicita::Stato::cerca;
}

void avanzaunicita(Unicita &u, long long limite) {
  u.spesi = 0;
  if (u.stato != Unicita::Stato::cerca && u.stato != Unicita::Stato::verifica)
    return;
  MotoreUnicita &m = *u.motore;
  m.conflitti = 0;
  m.limite = limite;
  const int esito = m.sat.solve(); // 10 satisfiable, 20 not, 0 stopped
  u.spesi = m.conflitti;
  const int n = u.n;
  if (u.stato == Unicita::Stato::cerca && esito == 10) {
    // Another completion must differ from this one in a cell outside base.
    u.soluzione.assign(static_cast<std::size_t>(n * n), 0);
    for (int c = 0; c < n * n; ++c)
      for (int v = 0; v < n; ++v)
        if (m.sat.val(c * n + v + 1) > 0)
          u.soluzione[static_cast<std::size_t>(c)] = v + 1;
    for (int c = 0; c < n * n; ++c)
      if (u.base[static_cast<std::size_t>(c)] == 0)
        m.sat.add(-(c * n + u.soluzione[static_cast<std::size_t>(c)]));
    m.sat.add(0);
    u.stato = Unicita::Stato::verifica;
  } else if (esito == 20) {
    u.stato = u.stato == Unicita::Stato::cerca ? Unicita::Stato::nessuna : Unicita::Stato::unica;
  } else if (esito == 10) {
    u.stato = Unicita::Stato::molte;
  }
  // The solver is no longer needed once the answer is known.
  if (u.stato != Unicita::Stato::cerca && u.stato != Unicita::Stato::verifica)
    u.motore.reset();
}
