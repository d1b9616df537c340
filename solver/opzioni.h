// Every tunable number of the search's completion check, in one place.
// Each field: its meaning, unit and range, and what chose its value.  The
// check's cost depends on the side n mostly through the size of a grid, so
// allowances are set for one side, LATO_RIFERIMENTO, and scaled to others.
#pragma once

// The side the allowances below are stated for: the common hard puzzles
// are 25 x 25, and larger sides rarely need the check's own search.
inline constexpr int LATO_RIFERIMENTO = 25;

struct Opzioni {
  // The search asks the check before it descends into a value; off, it
  // searches every subtree (the plain search, node for node).
  bool controllo = true;

  // For the tests: the learning engine takes every question it can, at once
  // and however empty the grid, with one conflict of allowance, so that
  // many answers stay open, and the search asks open values again from its
  // second node on.
  bool esteso = false;

  // Allowance of the whole search, in branches of the check's own search or
  // conflicts of the learning engine (0..): a fixed part, about a second's
  // worth at the reference side and scaled by (25 / n)^3 above it (a branch
  // touches about n^3 / 25 candidates), ...
  long long creditofisso = 100000;
  // ... plus this much per search node, scaled by (25 / n)^2 above the
  // reference side (on the empty 100 x 100 grid, whose "no"s all come from
  // propagation, one per node cost three times a sixteenth).
  long long creditopernodo = 1;
  // A question may spend 1 / quota of what is left (1..): one that wanders
  // leaves some to the next.
  long long quota = 2;

  // Search nodes before open values are first asked again (1..); then each
  // time the nodes double, the shallowest open value gets as many units as
  // the search has entered nodes, scaled as creditopernodo.
  long long riesameprimo = 64;

  // The largest side whose propagation includes the line/box elimination
  // (1..100): at the reference side it spares a quarter to a third of the
  // branches on random puzzles; above it, it spared none on the grids
  // measured and cost a third of the time of the empty ones.
  int latoincroci = LATO_RIFERIMENTO;
  // The smallest side whose boxes are matched to values as rows and columns
  // are (1..101): the empty 49 x 49 grid needs them; at side 25 they sped
  // some random puzzles up and slowed others.
  int latoscatoleabbinate = 49;

  // The largest side, a square, whose hard questions go on to the learning
  // engine (0..100): it holds a variable per cell and candidate value.
  int latosat = LATO_RIFERIMENTO;
  // Branches the check's own search may spend on a question that the
  // learning engine may take up (0..): the own search finds completions near
  // the kept one and the near contradictions fast; the hard "no"s are the
  // engine's.
  long long ramiprimadelsat = 64;
  // How full the first grid asked about must be, in % of its cells, for
  // the engine to take questions at all (0..100): on emptier ones
  // completions abound and the own search finds them faster, while the
  // engine would need a variable for nearly every cell and value (on the
  // empty 25 x 25 grid it made the search 2.7 times slower).
  int pienesat = 40;
  // How many times a question's allowance the learning engine also gives
  // to whether the first grid has one completion only (0..): that answers
  // every later question at once, so it is worth more than any one.  Given
  // from the engine's first question on, it took a tenth fewer conflicts on
  // the hard collection than from 20 000 conflicts on; once and 16 times
  // did no better.
  long long pesounicita = 4;
};
