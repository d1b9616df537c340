// Racing: how many learning engines a question is raced on, and running
// one job per engine, each on a thread of its own, the first on the
// calling thread.  The engines themselves are sat.cpp's.
#pragma once

#include <functional>

#include "solver/opzioni.h"

// The engines a search may race its questions on (1..64), when one holds
// `coppie` clauses: as many as o.motori asks (0: as the machine has
// cores), and no more than the bound on all their clauses together lets
// in; at 32 bits lower bounds on both (o.motori32); one at least.
int quantimotori(const Opzioni &o, long long coppie);

// Calls lavoro(0) .. lavoro(quanti - 1) at once, lavoro(0) on the calling
// thread and each other on a thread of its own, and returns once all have
// returned; a job the system refuses a thread for runs on the calling
// thread after lavoro(0).  An exception thrown in any (running out of
// memory inside an engine) is thrown again here, the first engine's
// first: it must not end the process from a thread that cannot report it.
void corri(int quanti, const std::function<void(int)> &lavoro);
