// The tunable numbers of the search's completion check.  Each is declared
// once, in the list of solver/opzioni.def (its name, default, range,
// meaning and unit, and what chose its value); the fields of Opzioni, the
// ranges valida() checks and the walk by name (perogniopzione) all come
// from that list.  The search reads the settings only after asking valida().
#pragma once

#include <limits>

// The highest value of a range that has none.
inline constexpr long long SENZALIMITE = std::numeric_limits<long long>::max();

struct Opzioni {
#define OPZIONE(tipo, nome, predefinito, minimo, massimo, significato) tipo nome = predefinito;
#include "solver/opzioni.def"
#undef OPZIONE
};

// Calls f(name, field, lowest, highest) for each field of o, in the list's
// order; O is Opzioni or const Opzioni.
template <class O, class F> void perogniopzione(O &o, F f) {
#define OPZIONE(tipo, nome, predefinito, minimo, massimo, significato)                             \
  f(#nome, o.nome, minimo, massimo);
#include "solver/opzioni.def"
#undef OPZIONE
}

// Whether every field lies within its range.
inline bool valida(const Opzioni &o) {
  bool entro = true;
  perogniopzione(o, [&entro](const char *, auto campo, long long minimo, long long massimo) {
    const auto valore = static_cast<long long>(campo);
    entro = entro && valore >= minimo && valore <= massimo;
  });
  return entro;
}
