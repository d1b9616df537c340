// What the completion check answers about a grid, and what a question cost.
#pragma once

enum class Risposta { no, si, forse };

// What one question found.
struct Responso {
  Risposta risposta = Risposta::forse; // si: a completion exists; no: none; forse: left open
  long long spesi = 0;                 // units of work charged to the allowance (see Conto)
  long long spesiunicita = 0; // units spent beside it on whether the first grid has one completion
  bool testimone = false;     // the completion kept from an earlier question answered it
  int motori = 0;             // learning engines started to answer it, those it may race
};
