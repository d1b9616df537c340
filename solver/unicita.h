// Whether the search's first grid has one completion only, asked of a SAT
// solver (CaDiCaL, in third_party/): first a completion, then a proof that
// no other exists.  Every grid the search asks about extends its first one,
// so once that completion is known to be the only one, a grid has a
// completion exactly when the completion holds it: one hard proof answers
// every later question, where each would otherwise need its own.
#pragma once

#include <memory>
#include <vector>

struct MotoreUnicita; // the SAT solver and its work counter (unicita.cpp)
struct ChiudiMotore {
  void operator()(MotoreUnicita *m) const;
};

struct Unicita {
  enum class Stato {
    spenta,   // not started
    cerca,    // looking for a completion of base
    verifica, // soluzione found; looking for another
    unica,    // soluzione is base's only completion
    nessuna,  // base has no completion
    molte,    // base has more than one (nothing more to learn here)
  };
  Stato stato = Stato::spenta;
  int n = 0;
  std::vector<int> base;      // [cell]: the grid asked about, 0 empty
  std::vector<int> soluzione; // [cell]: a completion of base, from verifica on
  long long spesi = 0;        // conflicts of the last call to avanzaunicita
  std::unique_ptr<MotoreUnicita, ChiudiMotore> motore;
};

// Starts u on grid base of side n (a square, n >= 2): its rules and cells
// as clauses.
void avviaunicita(Unicita &u, int n, const std::vector<int> &base);

// Goes on for about `limite` conflicts (a few hundred more at most) unless
// u is past verifica: from cerca to verifica or nessuna, from verifica to
// unica or molte.  u.spesi: the conflicts spent.
void avanzaunicita(Unicita &u, long long limite);
