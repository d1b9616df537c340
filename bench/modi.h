// The three ways the tests and the fuzz target run the search against the
// oracle: the completion check off (the plain search, node for node), on
// with the program's settings and one learning engine, and on but starved
// of allowance (no fixed part, two units a node, the learning engine at
// once, open values asked again from the second node on), so that many
// answers stay open and many come late, with three engines racing on every
// question that reaches them.  Each must end as the oracle does, to the
// byte, whichever engine answers.
#pragma once

#include "solver/opzioni.h"

inline constexpr int MODI = 3;

inline Opzioni modo(int m) {
  if (m < 2)
    return Opzioni{.controllo = m == 1, .motori = 1};
  return Opzioni{.creditofisso = 0,
                 .creditopernodo = 2,
                 .quota = 1,
                 .riesameogni = 2,
                 .ramiprimadelsat = 0,
                 .motori = 3,
                 .conflittiprimadellacorsa = 0};
}

// Its name, for a failure's trace.
inline const char *nomemodo(int m) {
  return m == 0   ? "senza il controllo"
         : m == 1 ? "con il controllo"
                  : "controllo a stecchetto, tre motori";
}
