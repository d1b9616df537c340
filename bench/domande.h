// What a search tells its completion check (the nodes it enters and leaves,
// the questions it asks), recorded to a file and replayed against other
// settings: every setting is then measured on the same questions.  Replayed
// answers may differ from the recorded run's ("maybe" where it said "no");
// a whole search with the chosen settings tells what that does to the
// nodes.
//
// File: the side n on the first line, then a line per event (see
// Registratore in domande.cpp).
#pragma once

#include <string>
#include <vector>

#include "app/stato.h"
#include "solver/opzioni.h"

namespace domande {

// Sets the field of o called `nome` (as listed in solver/opzioni.def) from `valore`;
// false, leaving o as it was, when no field has that name or the value is
// out of the field's range.
bool imposta(Opzioni &o, const std::string &nome, long long valore);

// Runs the search on g with settings o and writes its questions to `file`;
// false when the file cannot be written.
bool registra(const Griglia &g, const Opzioni &o, const std::string &file);

// What a replay answered, and its time.
struct Esito {
  long long domande = 0, si = 0, no = 0, forse = 0;
  long long unita = 0;      // branches and conflicts spent
  long long testimoni = 0;  // questions the kept completion answered
  double secondi = 0;       // processor time of the questions alone
  double parete = 0;        // wall time of the questions, on two processors when asking ahead
  long long anticipate = 0; // questions the second check answered beforehand
  bool letto = false;       // the file was read whole
};

// Asks a fresh check with settings o every question recorded in `file`;
// with `anticipa`, a second check, fed the same nodes, asks beside each
// question the next one when the record asks it right after at the same
// cell, and its exact answer stands for that question.
Esito riascolta(const std::string &file, const Opzioni &o, bool anticipa = false);

// The grids of every `ogni`-th question recorded in `file`, each with the
// value asked placed: what the search asked, for other solvers to answer.
// A record cut short (a run stopped while recording) gives what it holds.
std::vector<Griglia> campiona(const std::string &file, long long ogni);

} // namespace domande
