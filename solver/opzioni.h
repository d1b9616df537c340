// Every tunable number of the search's completion check, in one place.
// Each field: its meaning, unit and range, and what chose its value.
// valida() says whether a set of settings lies within those ranges; the
// search reads them only after asking it.
#pragma once

struct Opzioni {
  // The search asks the check before it descends into a value; off, it
  // searches every subtree (the plain search, node for node).
  bool controllo = true;

  // The check's allowance over the whole search, in units of work: a branch
  // of its own search at side 25 or below, a conflict of a learning engine
  // of up to clausoleperunita clauses, and larger ones in proportion
  // (a branch of side n touches about n^3 / 25 candidates).  The
  // questions, the questions asked again and the engine's building come
  // out of it; the uniqueness proof is bounded by pesounicita times it.
  // A fixed part (0..) ...
  long long creditofisso = 100000;
  // ... plus this much per search node entered (0..), times n / 25 above
  // side 25 (a node's pass costs more there, a unit too, and this is what
  // the empty 100 x 100 grid needed): the allowance grows with the
  // search's own work, so that a long search keeps getting answers.
  long long creditopernodo = 1;
  // A question may spend 1 / quota of what is left (1..): one that wanders
  // leaves some to the next.
  long long quota = 2;

  // Search nodes between looks at the values the check left open (1..).
  // Each node earns the looks creditopernodo * n / 25 units (above side
  // 25), charged to the allowance when spent; a look starts once they
  // reach what this many nodes earn, doubled each time a look ended open.
  // Looking often on a doubling look, instead of each time the nodes
  // doubled, is what lets the 36 x 36 grids with 30 to 45 % given finish:
  // there the open values run hundreds of levels deep (docs/design.md).
  long long riesameogni = 64;

  // The smallest side whose boxes are matched to values as rows and columns
  // are (1..101; only square sides match units at all): the empty 49 x 49
  // grid needs them; at side 25 they sped some random puzzles up and slowed
  // others.
  int latoscatoleabbinate = 49;

  // Units of at most this many empty cells (0..100; 0: none) lose, when a
  // told level's grid is placed, the values that no matching of those cells
  // to distinct values gives a cell (pota).  On the grids of side 36 to 64
  // with 3 to 50 % given, the open values below a node then close by
  // propagation alone.  Past 64 it took most of the empty 100 x 100 grid's
  // time and closed nothing there.
  int potaturafino = 64;

  // Branches the check's own search may spend on a question before the
  // learning engine takes it up (0..): the own search finds completions
  // near the kept one and the near contradictions fast (on the large
  // random grids' questions, without it the check was many times
  // slower); the hard "no"s are the engine's.
  long long ramiprimadelsat = 64;
  // The most clauses the learning engine may be given, in thousands of
  // two-literal clauses (0..1000000): it holds a variable per empty cell
  // and candidate value of the first level's grid (the root's), and a
  // clause per pair of them that exclude each other.  The engine's memory
  // and the time to build it grow in proportion.  The hard 25 x 25 puzzles
  // need about twenty thousand, and there the engine more than pays.  A
  // million takes in the 36 x 36 grids with 30 to 45 % of the cells given,
  // whose open values the engine then closes, and which a hundred thousand
  // left to the own search; the empty 16 x 16 grid then pays for building
  // it (docs/design.md).  The 49 x 49 grids with 30 % given and the 64 x 64
  // grids with 30 to 40 % given need more: several million, more memory
  // than the rest of the search.
  long long migliaiadiclausole = 1000;
  // Clauses of the learning engine per unit its conflict costs (1..): a
  // conflict of a larger engine takes longer.  About the engine of a hard
  // 25 x 25 puzzle, whose conflicts cost one unit each.
  long long clausoleperunita = 20000;
  // Clauses built per unit (1..): building ten of the engine's clauses
  // costs about as much as a branch of the own search at side 25.
  long long clausoleperunitacostruzione = 10;
  // How many times a question's allowance the learning engine also gives
  // to whether the first grid has one completion only (0..): that answers
  // every later question at once, so it is worth more than any one.  Out
  // of the allowance, the hard puzzles' proofs spent it all and left the
  // questions after them open; a larger allowance instead slowed the empty
  // 100 x 100 grid.  Given from the engine's first question on, it took
  // fewer conflicts on the hard collection than given later; once and 16
  // times did no better.
  long long pesounicita = 4;
};

// Whether every field lies within its range.
inline bool valida(const Opzioni &o) {
  return o.creditofisso >= 0 && o.creditopernodo >= 0 && o.quota >= 1 && o.riesameogni >= 1 &&
         o.latoscatoleabbinate >= 1 && o.latoscatoleabbinate <= 101 && o.potaturafino >= 0 &&
         o.potaturafino <= 100 && o.ramiprimadelsat >= 0 && o.migliaiadiclausole >= 0 &&
         o.migliaiadiclausole <= 1000000 && o.clausoleperunita >= 1 &&
         o.clausoleperunitacostruzione >= 1 && o.pesounicita >= 0;
}
