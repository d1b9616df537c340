#include "riferimento_sat.h"

#include <cadical.hpp>
#include <cmath>
#include <cstddef>
#include <ctime>
#include <vector>

namespace riferimentosat {

namespace {

struct Modello {
  CaDiCaL::Solver s;
  int n;

  explicit Modello(int lato) : n(lato) { s.set("quiet", 1); }

  // 1-based variable of value v (0-based) in cell (r, c).
  int variabile(int r, int c, int v) const { return (r * n + c) * n + v + 1; }

  void clausola(const std::vector<int> &letterali) {
    for (int l : letterali)
      s.add(l);
    s.add(0);
  }

  // Exactly one of the literals when almeno, else at most one; pairwise,
  // as the usual model states it.
  void unotra(const std::vector<int> &letterali, bool almeno) {
    if (almeno)
      clausola(letterali);
    for (std::size_t i = 0; i < letterali.size(); ++i)
      for (std::size_t j = i + 1; j < letterali.size(); ++j) {
        s.add(-letterali[i]);
        s.add(-letterali[j]);
        s.add(0);
      }
  }
};

// Gives m the rules of the usual model and puzzle's givens.
void codifica(Modello &m, const Griglia &puzzle) {
  const int n = static_cast<int>(puzzle.size());
  const int q = static_cast<int>(std::sqrt(static_cast<double>(n)));
  std::vector<int> gruppo;
  gruppo.reserve(n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      gruppo.clear();
      for (int v = 0; v < n; ++v)
        gruppo.push_back(m.variabile(r, c, v));
      m.unotra(gruppo, true);
    }
  for (int v = 0; v < n; ++v) {
    for (int r = 0; r < n; ++r) {
      gruppo.clear();
      for (int c = 0; c < n; ++c)
        gruppo.push_back(m.variabile(r, c, v));
      m.unotra(gruppo, true);
    }
    for (int c = 0; c < n; ++c) {
      gruppo.clear();
      for (int r = 0; r < n; ++r)
        gruppo.push_back(m.variabile(r, c, v));
      m.unotra(gruppo, true);
    }
    // A box of q * q < N cells cannot hold every value: at most once only.
    for (int br = 0; br + q <= n; br += q)
      for (int bc = 0; bc + q <= n; bc += q) {
        gruppo.clear();
        for (int r = br; r < br + q; ++r)
          for (int c = bc; c < bc + q; ++c)
            gruppo.push_back(m.variabile(r, c, v));
        m.unotra(gruppo, q * q == n);
      }
  }
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const int v = puzzle[r][c];
      if (v >= 1 && v <= n)
        m.clausola({m.variabile(r, c, v - 1)});
    }
}

// Counts an engine's conflicts: one clause learnt each.
struct Conflitti : CaDiCaL::Learner {
  long long quanti = 0;
  bool learning(int) override {
    ++quanti;
    return false;
  }
  void learn(int) override {}
};

} // namespace

Esito risolvi(const Griglia &puzzle, bool seconda) {
  const std::clock_t inizio = std::clock();
  const int n = static_cast<int>(puzzle.size());
  Modello m(n);
  codifica(m, puzzle);
  Esito e;
  if (m.s.solve() == 10) {
    e.soluzioni = 1;
    if (!seconda) {
      e.secondi = static_cast<double>(std::clock() - inizio) / CLOCKS_PER_SEC;
      return e;
    }
    // Block the solution found over the cells the puzzle leaves empty: any
    // other model differs from it in one of them.
    std::vector<int> blocco;
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const int v = puzzle[r][c];
        if (v >= 1 && v <= n)
          continue;
        for (int k = 0; k < n; ++k)
          if (m.s.val(m.variabile(r, c, k)) > 0)
            blocco.push_back(-m.variabile(r, c, k));
      }
    // A grid without empty cells has nothing to block: its one solution is itself.
    if (!blocco.empty()) {
      m.clausola(blocco);
      if (m.s.solve() == 10)
        e.soluzioni = 2;
    }
  }
  e.secondi = static_cast<double>(std::clock() - inizio) / CLOCKS_PER_SEC;
  return e;
}

Prova prova(const Griglia &puzzle, int configurazione) {
  static constexpr const char *impostazioni[] = {"sat", "unsat", "plain"};
  Modello m(static_cast<int>(puzzle.size()));
  m.s.configure(impostazioni[configurazione % 3]);
  m.s.set("phase", configurazione / 3 % 2);
  codifica(m, puzzle);
  Conflitti conta;
  m.s.connect_learner(&conta);
  Prova p;
  p.esito = m.s.solve();
  p.conflitti = conta.quanti;
  m.s.disconnect_learner();
  return p;
}

} // namespace riferimentosat
