// The completion check's work over one search, in units: a branch of the
// check's own search at side 25 or below, a conflict of a learning engine
// of up to opzioni.clausoleperunita clauses, and larger ones in proportion.
// The search earns an allowance as it enters nodes, more once the check has
// started its learning engine; each question may spend a share of what is
// left, and the looks at the values the check left open have a reserve of
// their own.  Counting work instead of time keeps runs repeatable.  Every
// conversion to units is here.
#pragma once

#include <algorithm>

#include "solver/opzioni.h"
#include "solver/risposta.h"

// Work counters of a search.
struct Lavoro {
  long long nodi = 0;           // search nodes entered
  long long controlli = 0;      // values the completion check was asked about
  long long esclusi = 0;        // ... answered no: their subtrees skipped
  long long testimoni = 0;      // ... answered yes by the completion it kept
  long long incerti = 0;        // ... left open, past its allowance
  long long unitacontrollo = 0; // units of work the check spent in all
  long long riesami = 0;        // open values asked again
  long long chiusi = 0;         // ... found without completion: their subtrees left
  long long unitariesame = 0;   // units of work those questions spent (in unitacontrollo)
  long long unitaunicita = 0;   // units given to whether the first grid has one completion
                                // only, beside the allowance
  long long motori = 0;         // learning engines the check started (those it may race)
};

class Conto {
public:
  // For a search on side n (1..100) with settings o (valida).
  Conto(const Opzioni &o, int n)
      : o(o), n(n),
        // A branch touches about n^3 / 25 candidates: as many units as that
        // is times a branch at side 25, rounded up.
        perramo((static_cast<long long>(n) * n * n + 25 * 25 * 25 - 1) / (25 * 25 * 25)),
        prossimoriesame(o.riesameogni), soglia(guadagno(o.riesameogni)) {}

  // Units of a branch of the check's own search (1..).
  long long ramo() const { return perramo; }
  // Units the own search may spend on a question before the learning engine
  // takes it up, and a question below a value left open at most.
  long long primadelmotore() const { return o.ramiprimadelsat * perramo; }
  // Units to build a learning engine of `coppie` clauses.
  long long costruzione(long long coppie) const { return coppie / o.clausoleperunitacostruzione; }
  // Units of a conflict of that engine (1..).
  long long conflitto(long long coppie) const { return std::max(1LL, coppie / o.clausoleperunita); }

  // A search node entered: the allowance grows.
  void nodo() { ++l.nodi; }
  // What a question of the search may spend: a share of what is left.
  long long quota() const { return disponibile() / o.quota; }
  // Charges a question the search put about a value it is to try.
  void domanda(const Responso &r) {
    ++l.controlli;
    spendi(r);
    l.esclusi += r.risposta == Risposta::no;
    l.incerti += r.risposta == Risposta::forse;
    l.testimoni += r.testimone;
  }

  // Whether the search should look at the values left open now (`aperti`:
  // some are): every riesameogni nodes the looks earn units, which they
  // keep apart; a look starts once they reach the bar.
  bool riesame(bool aperti) {
    if (l.nodi < prossimoriesame)
      return false;
    riserva += guadagno(l.nodi - ultimoriesame);
    ultimoriesame = l.nodi;
    prossimoriesame = l.nodi + o.riesameogni;
    return aperti && riserva >= soglia;
  }
  // What a look's question may spend: its share, or the looks' reserve.
  long long quotariesame() const { return std::max(quota(), riserva); }
  // Charges a look's question; one left open doubles the bar, so that a
  // hard "no" gets ever longer runs and the search keeps about half the
  // time.
  void riesaminato(const Responso &r) {
    riserva -= r.spesi;
    ++l.riesami;
    l.unitariesame += r.spesi;
    spendi(r);
    if (r.risposta == Risposta::forse)
      soglia *= 2;
  }
  // A look found a value without completion: its subtree is left.
  void chiuso() { ++l.chiusi; }

  const Lavoro &lavoro() const { return l; }

private:
  // What `nodi` search nodes earn: creditopernodo each, times n / 25 above
  // side 25 (a node's pass costs more there, a unit too), times pesomotore
  // once the learning engine was started.
  long long guadagno(long long nodi) const {
    return nodi * o.creditopernodo * fattore * std::max(25LL, n) / 25;
  }
  // What is left of the allowance: a fixed part and what the nodes earned,
  // less every unit spent.
  long long disponibile() const { return o.creditofisso + guadagno(l.nodi) - l.unitacontrollo; }
  void spendi(const Responso &r) {
    l.unitacontrollo += r.spesi;
    l.unitaunicita += r.spesiunicita;
    if (l.motori == 0 && r.motori > 0) {
      // From now on every node, those entered before too, earns
      // pesomotore times as much, and a look needs as many times more.
      fattore = o.pesomotore;
      soglia *= fattore;
    }
    l.motori += r.motori;
  }

  Opzioni o;                   // the search's settings
  long long n;                 // side
  long long perramo;           // units of a branch of the own search
  Lavoro l;                    // the counters
  long long prossimoriesame;   // nodes at which the open values are next looked at
  long long ultimoriesame = 0; // nodes at the last look
  long long riserva = 0;       // units the looks earned and did not spend (may fall below 0)
  long long fattore = 1;       // what a node's earnings are multiplied by: 1, or pesomotore
                               // once a learning engine was started
  long long soglia;            // units a look needs to start (doubles, see riesaminato)
};
