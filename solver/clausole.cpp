#include "solver/clausole.h"

#include <algorithm>
#include <array>

namespace {

constexpr int SENZA = -1;

// Literal 2 * var + 1 is "not var"; var = cell * n + value - 1.
int valorelit(const Clausole &s, int lit) {
  const int v = s.valore[lit >> 1];
  return v < 0 ? -1 : v ^ (lit & 1);
}

int livelloattuale(const Clausole &s) {
  return static_cast<int>(s.inizi.size());
}

// The "at least one" rules: k < n*n the values of cell k, then for each
// value v the places in row r (n*n + r*n + v), column t (2*n*n + t*n + v)
// and, when boxes hold every value, box b (3*n*n + b*n + v).
int regole(const Clausole &s) {
  return (s.quadrata ? 4 : 3) * s.n * s.n;
}
std::array<int, 4> calcolaregole(const Clausole &s, int x) {
  const int n = s.n, c = x / n, v = x % n, r = c / n, t = c % n;
  const int b = r / s.q * (n / s.q) + t / s.q;
  return {c, n * n + r * n + v, 2 * n * n + t * n + v, 3 * n * n + b * n + v};
}
const std::array<int, 4> &regoledi(const Clausole &s, int x) {
  return s.regoledi[static_cast<std::size_t>(x)];
}
// The variable of the k-th literal (0..n-1) of rule g.
int variabiledi(const Clausole &s, int g, int k) {
  return s.membri[static_cast<std::size_t>(g * s.n + k)];
}

// The heap of variables by activity, most active on top.
bool prima(const Clausole &s, int a, int b) {
  return s.attivita[a] > s.attivita[b];
}
void sali(Clausole &s, int i) {
  const int x = s.mucchio[i];
  while (i > 0 && prima(s, x, s.mucchio[(i - 1) / 2])) {
    s.mucchio[i] = s.mucchio[(i - 1) / 2];
    s.posizione[s.mucchio[i]] = i;
    i = (i - 1) / 2;
  }
  s.mucchio[i] = x;
  s.posizione[x] = i;
}
void scendi(Clausole &s, int i) {
  const int x = s.mucchio[i], m = static_cast<int>(s.mucchio.size());
  while (2 * i + 1 < m) {
    int f = 2 * i + 1;
    if (f + 1 < m && prima(s, s.mucchio[f + 1], s.mucchio[f]))
      ++f;
    if (!prima(s, s.mucchio[f], x))
      break;
    s.mucchio[i] = s.mucchio[f];
    s.posizione[s.mucchio[i]] = i;
    i = f;
  }
  s.mucchio[i] = x;
  s.posizione[x] = i;
}
void rimetti(Clausole &s, int x) {
  if (s.posizione[x] >= 0)
    return;
  s.mucchio.push_back(x);
  sali(s, static_cast<int>(s.mucchio.size()) - 1);
}
int estrai(Clausole &s) {
  const int x = s.mucchio[0];
  s.posizione[x] = -1;
  const int ultimo = s.mucchio.back();
  s.mucchio.pop_back();
  if (!s.mucchio.empty()) {
    s.mucchio[0] = ultimo;
    scendi(s, 0);
  }
  return x;
}
void alza(Clausole &s, int x) {
  if ((s.attivita[x] += s.incremento) > 1e100) {
    for (double &a : s.attivita)
      a *= 1e-100;
    s.incremento *= 1e-100;
  }
  if (s.posizione[x] >= 0)
    sali(s, s.posizione[x]);
}

void assegna(Clausole &s, int lit, int motivo) {
  const int x = lit >> 1;
  const std::array<int, 4> &g = regoledi(s, x);
  for (int k = 0; k < (s.quadrata ? 4 : 3); ++k)
    if (lit & 1)
      --s.aperte[static_cast<std::size_t>(g[k])];
    else
      ++s.soddisfatte[static_cast<std::size_t>(g[k])];
  s.valore[x] = static_cast<signed char>(!(lit & 1));
  s.livello[x] = livelloattuale(s);
  s.motivo[x] = motivo;
  s.traccia.push_back(lit);
}

// Unassigns the variable of trail literal lit, its rules' counts with it.
void sgancia(Clausole &s, int lit) {
  const int x = lit >> 1;
  const std::array<int, 4> &g = regoledi(s, x);
  for (int k = 0; k < (s.quadrata ? 4 : 3); ++k)
    if (lit & 1)
      ++s.aperte[static_cast<std::size_t>(g[k])];
    else
      --s.soddisfatte[static_cast<std::size_t>(g[k])];
  s.valore[x] = -1;
  rimetti(s, x);
}

void torna(Clausole &s, int livello) {
  if (livelloattuale(s) <= livello)
    return;
  const std::size_t da = static_cast<std::size_t>(s.inizi[livello]);
  for (std::size_t t = da; t < s.traccia.size(); ++t) {
    s.fase[s.traccia[t] >> 1] = s.valore[s.traccia[t] >> 1];
    sgancia(s, s.traccia[t]);
  }
  s.traccia.resize(da);
  s.inizi.resize(static_cast<std::size_t>(livello));
  s.testa = da;
}

// Var y false because literal p (true, positive) excludes it; false when y
// is true: the conflict "not p or not y".
bool nega(Clausole &s, int y, int p) {
  if (s.valore[y] == 1) {
    s.conflitto = {p ^ 1, 2 * y + 1};
    return false;
  }
  if (s.valore[y] < 0)
    assegna(s, 2 * y + 1, -2 - p);
  return true;
}

// Unit propagation over the "at most one" rules (walked from the geometry)
// and the clauses (two watched literals each); false on a conflict, whose
// clause is left in s.conflitto.
bool propaga(Clausole &s) {
  const int n = s.n;
  while (s.testa < s.traccia.size()) {
    const int p = s.traccia[s.testa++];
    if (!(p & 1)) {
      const int x = p >> 1, c = x / n, v = x % n;
      for (int w = 0; w < n; ++w)
        if (w != v && !nega(s, c * n + w, p))
          return false;
      for (int d : s.vicine[static_cast<std::size_t>(c)])
        if (!nega(s, d * n + v, p))
          return false;
    }
    if (p & 1) {
      // A rule left with one literal not false makes it true; with none, a conflict.
      const std::array<int, 4> &g = regoledi(s, p >> 1);
      for (int k = 0; k < (s.quadrata ? 4 : 3); ++k) {
        const int a = s.aperte[static_cast<std::size_t>(g[k])];
        if (a > 1 || s.soddisfatte[static_cast<std::size_t>(g[k])] > 0)
          continue;
        int resta = -1;
        for (int h = 0; h < n && a == 1; ++h) {
          const int y = variabiledi(s, g[k], h);
          if (s.valore[y] != 0)
            resta = y;
        }
        if (resta < 0) {
          s.conflitto.clear();
          for (int h = 0; h < n; ++h)
            s.conflitto.push_back(2 * variabiledi(s, g[k], h));
          return false;
        }
        if (s.valore[resta] < 0)
          assegna(s, 2 * resta, -2 - 2 * n * n * n - g[k]);
      }
    }
    // The clauses watching the literal p made false.
    const int f = p ^ 1;
    std::vector<Osservata> &ws = s.osservate[static_cast<std::size_t>(f)];
    std::size_t i = 0, j = 0;
    while (i < ws.size()) {
      const Osservata o = ws[i++];
      if (valorelit(s, o.altro) == 1) { // satisfied: the clause need not be read
        ws[j++] = o;
        continue;
      }
      int *l = &s.arena[static_cast<std::size_t>(o.clausola) + 3];
      const int dim = s.arena[static_cast<std::size_t>(o.clausola)];
      if (l[0] == f)
        std::swap(l[0], l[1]);
      if (valorelit(s, l[0]) == 1) {
        ws[j++] = {o.clausola, l[0]};
        continue;
      }
      int k = 2;
      while (k < dim && valorelit(s, l[k]) == 0)
        ++k;
      if (k < dim) {
        std::swap(l[1], l[k]);
        s.osservate[static_cast<std::size_t>(l[1])].push_back({o.clausola, l[0]});
        continue;
      }
      ws[j++] = {o.clausola, l[0]};
      if (valorelit(s, l[0]) == 0) {
        while (i < ws.size())
          ws[j++] = ws[i++];
        ws.resize(j);
        s.conflitto.assign(l, l + dim);
        return false;
      }
      assegna(s, l[0], o.clausola);
    }
    ws.resize(j);
  }
  return true;
}

// Whether false literal q follows from the literals marked in s.visto and
// the facts, through the reason that made it false, and through theirs for
// `profondita` more steps.
bool ridondante(const Clausole &s, int q, int profondita) {
  const int x = q >> 1, m = s.motivo[x];
  const auto dentro = [&](int l) {
    return s.visto[l >> 1] || s.livello[l >> 1] == 0 ||
           (profondita > 0 && ridondante(s, l, profondita - 1));
  };
  if (m == SENZA)
    return false;
  if (m <= -2 - 2 * s.n * s.n * s.n) {
    const int g = -2 - 2 * s.n * s.n * s.n - m;
    for (int h = 0; h < s.n; ++h) {
      const int y = variabiledi(s, g, h);
      if (y != x && !dentro(2 * y))
        return false;
    }
    return true;
  }
  if (m <= -2)
    return dentro(-2 - m);
  const int dim = s.arena[static_cast<std::size_t>(m)];
  for (int k = 0; k < dim; ++k) {
    const int l = s.arena[static_cast<std::size_t>(m) + 3 + static_cast<std::size_t>(k)];
    if ((l >> 1) != x && !dentro(l))
      return false;
  }
  return true;
}

// First-UIP analysis of s.conflitto: the learnt clause in s.appresa (its
// asserting literal first, one of the highest remaining level second);
// returns the level to go back to.
int analizza(Clausole &s) {
  s.appresa.assign(1, 0);
  const int ora = livelloattuale(s);
  int aperti = 0;
  const auto usa = [&](int q) {
    const int x = q >> 1;
    if (s.visto[x] || s.livello[x] == 0)
      return;
    s.visto[x] = 1;
    alza(s, x);
    if (s.livello[x] >= ora)
      ++aperti;
    else
      s.appresa.push_back(q);
  };
  for (int q : s.conflitto)
    usa(q);
  std::size_t indice = s.traccia.size();
  int p = 0;
  while (true) {
    while (!s.visto[s.traccia[--indice] >> 1]) {
    }
    p = s.traccia[indice];
    s.visto[p >> 1] = 0;
    if (--aperti == 0)
      break;
    const int m = s.motivo[p >> 1];
    if (m <= -2 - 2 * s.n * s.n * s.n) {
      const int g = -2 - 2 * s.n * s.n * s.n - m;
      for (int h = 0; h < s.n; ++h)
        if (2 * variabiledi(s, g, h) != p)
          usa(2 * variabiledi(s, g, h));
    } else if (m <= -2) {
      usa((-2 - m) ^ 1);
    } else {
      const int dim = s.arena[static_cast<std::size_t>(m)];
      for (int k = 0; k < dim; ++k)
        if (s.arena[static_cast<std::size_t>(m) + 3 + static_cast<std::size_t>(k)] != p)
          usa(s.arena[static_cast<std::size_t>(m) + 3 + static_cast<std::size_t>(k)]);
    }
  }
  s.appresa[0] = p ^ 1;
  // A literal whose reason's other literals all stand in the clause, are
  // facts, or follow from those one reason further adds nothing: drop it.
  std::size_t tenuti = 1;
  for (std::size_t k = 1; k < s.appresa.size(); ++k)
    if (!ridondante(s, s.appresa[k], 1))
      s.appresa[tenuti++] = s.appresa[k];
    else
      s.visto[s.appresa[k] >> 1] = 0;
  s.appresa.resize(tenuti);
  int indietro = 0;
  for (std::size_t k = 1; k < s.appresa.size(); ++k) {
    s.visto[s.appresa[k] >> 1] = 0;
    if (s.livello[s.appresa[k] >> 1] > s.livello[s.appresa[1] >> 1])
      std::swap(s.appresa[1], s.appresa[k]);
  }
  if (s.appresa.size() > 1)
    indietro = s.livello[s.appresa[1] >> 1];
  return indietro;
}

// Adds a learnt clause to the arena, tagged with the ground's height, and
// watches its first two literals.
int aggiungi(Clausole &s, const std::vector<int> &lits, int lbd, int piano) {
  const int cr = static_cast<int>(s.arena.size());
  s.arena.push_back(static_cast<int>(lits.size()));
  s.arena.push_back(lbd);
  s.arena.push_back(piano);
  s.arena.insert(s.arena.end(), lits.begin(), lits.end());
  s.osservate[static_cast<std::size_t>(lits[0])].push_back({cr, lits[1]});
  s.osservate[static_cast<std::size_t>(lits[1])].push_back({cr, lits[0]});
  s.imparate.push_back(cr);
  return cr;
}

// The number of distinct levels among the literals.
int lbd(Clausole &s, const std::vector<int> &lits) {
  ++s.timbro;
  int distinti = 0;
  for (int l : lits) {
    const std::size_t v = static_cast<std::size_t>(s.livello[l >> 1]);
    if (s.timbri.size() <= v)
      s.timbri.resize(v + 1, 0);
    if (s.timbri[v] != s.timbro) {
      s.timbri[v] = s.timbro;
      ++distinti;
    }
  }
  return distinti;
}

// Rebuilds the arena with the learnt clauses that `tieni` keeps, each
// watching literals that are not false where it can.  Only at level 0.
template <typename F> void ricostruisci(Clausole &s, F tieni) {
  std::vector<int> vecchia;
  vecchia.swap(s.arena);
  for (auto &w : s.osservate)
    w.clear();
  const std::vector<int> imparate = s.imparate;
  s.imparate.clear();
  std::vector<int> lits;
  for (int cr : imparate) {
    const std::size_t a = static_cast<std::size_t>(cr);
    if (!tieni(vecchia[a + 1], vecchia[a + 2], cr))
      continue;
    lits.assign(vecchia.begin() + static_cast<std::ptrdiff_t>(a) + 3,
                vecchia.begin() + static_cast<std::ptrdiff_t>(a) + 3 + vecchia[a]);
    std::stable_partition(lits.begin(), lits.end(), [&](int x) { return valorelit(s, x) != 0; });
    aggiungi(s, lits, vecchia[a + 1], vecchia[a + 2]);
  }
}

// At level 0: keeps the better half of the learnt clauses (fewest levels).
void sfoltisci(Clausole &s) {
  std::vector<int> lbd;
  for (int cr : s.imparate)
    lbd.push_back(s.arena[static_cast<std::size_t>(cr) + 1]);
  if (lbd.empty())
    return;
  std::nth_element(lbd.begin(), lbd.begin() + static_cast<std::ptrdiff_t>(lbd.size() / 2),
                   lbd.end());
  const int soglia = lbd[lbd.size() / 2];
  std::size_t dasoglia = 0, posti = s.imparate.size() / 2;
  for (int x : lbd)
    posti -= x < soglia && posti > 0;
  ricostruisci(s,
               [&](int l, int, int) { return l < soglia || (l == soglia && dasoglia++ < posti); });
}

// The Luby sequence 1 1 2 1 1 2 4 1 1 2 ...: term i (from 0).
long long luby(int i) {
  long long dimensione = 1;
  int esponente = 0;
  while (dimensione < i + 1) {
    dimensione = 2 * dimensione + 1;
    ++esponente;
  }
  long long x = i;
  while (dimensione - 1 != x) {
    dimensione = (dimensione - 1) / 2;
    --esponente;
    x %= dimensione;
  }
  return 1LL << esponente;
}

// Makes lit true with no reason (a fact or an assumption), unless it is
// already; false when it is false.
bool imponi(Clausole &s, int lit) {
  if (valorelit(s, lit) < 0)
    assegna(s, lit, SENZA);
  return valorelit(s, lit) == 1;
}

// The literal "cell c holds value x" (1..n).
int letterale(const Clausole &s, std::size_t c, int x) {
  return 2 * (static_cast<int>(c) * s.n + x - 1);
}

// Level 1 holds the question's cells; false when they contradict.
bool ipotizza(Clausole &s, const std::vector<int> &ipotesi) {
  s.inizi.push_back(static_cast<int>(s.traccia.size()));
  for (std::size_t c = 0; c < ipotesi.size(); ++c)
    if (ipotesi[c] != 0 && !imponi(s, letterale(s, c, ipotesi[c])))
      return false;
  return propaga(s);
}

// Places the ground's cells of height above `da` and the learnt units at
// level 0; notes when they contradict.
void fonda(Clausole &s, int da, bool unita) {
  bool ok = true;
  for (std::size_t c = 0; c < s.fondo.size(); ++c)
    if (s.altezza[c] > da)
      ok = imponi(s, letterale(s, c, s.fondo[c])) && ok;
  for (std::size_t u = 0; unita && u < s.unitaimparate.size(); ++u)
    ok = imponi(s, s.unitaimparate[u].first) && ok;
  s.fondocontraddittorio = s.fondocontraddittorio || !ok || !propaga(s);
}

// Lowers the ground to height k: its cells above go, and with them the
// clauses and units learnt on them; level 0 is rebuilt from nothing.
void abbassa(Clausole &s, int k) {
  for (std::size_t c = 0; c < s.fondo.size(); ++c)
    if (s.altezza[c] > k)
      s.altezza[c] = s.fondo[c] = 0;
  s.piano = k;
  torna(s, 0);
  for (int lit : s.traccia)
    sgancia(s, lit);
  s.traccia.clear();
  s.testa = 0;
  ricostruisci(s, [&](int, int piano, int) { return piano <= k; });
  std::erase_if(s.unitaimparate, [&](const std::pair<int, int> &u) { return u.second > k; });
  s.fondocontraddittorio = false;
  fonda(s, 0, true);
}

// Brings the ground in line with the question: lowered to the highest
// height whose cells the question keeps, then raised to the question's
// cells (but the one asked) once they hold many beyond it.  Facts need no
// place in learnt clauses, and a clause learnt on a ground holds on any
// larger one.
void adegua(Clausole &s, const std::vector<int> &ipotesi) {
  int k = s.piano, nuove = 0;
  for (std::size_t c = 0; c < ipotesi.size(); ++c) {
    const bool chiesta = static_cast<int>(c) == s.chiesta;
    if (s.altezza[c] > 0 && (chiesta || ipotesi[c] != s.fondo[c]))
      k = std::min(k, s.altezza[c] - 1);
  }
  if (k < s.piano)
    abbassa(s, k);
  for (std::size_t c = 0; c < ipotesi.size(); ++c)
    nuove += ipotesi[c] != 0 && s.altezza[c] == 0 && static_cast<int>(c) != s.chiesta;
  if (nuove == 0 || nuove * 16 < s.n * s.n)
    return;
  torna(s, 0);
  ++s.piano;
  for (std::size_t c = 0; c < ipotesi.size(); ++c)
    if (ipotesi[c] != 0 && s.altezza[c] == 0 && static_cast<int>(c) != s.chiesta) {
      s.altezza[c] = s.piano;
      s.fondo[c] = ipotesi[c];
    }
  if (!s.fondocontraddittorio)
    fonda(s, s.piano - 1, false);
}

} // namespace

void preparaclausole(Clausole &s, int n) {
  s = Clausole{};
  s.n = n;
  s.q = 1;
  while ((s.q + 1) * (s.q + 1) <= n)
    ++s.q;
  s.quadrata = s.q * s.q == n;
  const int variabili = n * n * n;
  s.valore.assign(static_cast<std::size_t>(variabili), -1);
  s.livello.assign(static_cast<std::size_t>(variabili), 0);
  s.motivo.assign(static_cast<std::size_t>(variabili), SENZA);
  s.attivita.assign(static_cast<std::size_t>(variabili), 0);
  s.posizione.assign(static_cast<std::size_t>(variabili), -1);
  s.fase.assign(static_cast<std::size_t>(variabili), 0);
  s.visto.assign(static_cast<std::size_t>(variabili), 0);
  s.osservate.assign(static_cast<std::size_t>(2 * variabili), {});
  for (int x = 0; x < variabili; ++x)
    rimetti(s, x);
  s.vicine.assign(static_cast<std::size_t>(n * n), {});
  for (int c = 0; c < n * n; ++c) {
    const int i = c / n, j = c % n, r0 = i / s.q * s.q, c0 = j / s.q * s.q;
    for (int d = 0; d < n * n; ++d) {
      const int r = d / n, k = d % n;
      if (d != c && (r == i || k == j || (r / s.q * s.q == r0 && k / s.q * s.q == c0)))
        s.vicine[static_cast<std::size_t>(c)].push_back(d);
    }
  }
  s.aperte.assign(static_cast<std::size_t>(regole(s)), n);
  s.soddisfatte.assign(static_cast<std::size_t>(regole(s)), 0);
  for (int x = 0; x < variabili; ++x)
    s.regoledi.push_back(calcolaregole(s, x));
  s.membri.clear();
  for (int g = 0; g < regole(s); ++g)
    for (int k = 0; k < n; ++k) {
      const int tipo = g / (n * n), u = g % (n * n) / n, v = g % n, b = n / s.q;
      switch (tipo) {
      case 0:
        s.membri.push_back(g * n + k);
        break;
      case 1:
        s.membri.push_back((u * n + k) * n + v);
        break;
      case 2:
        s.membri.push_back((k * n + u) * n + v);
        break;
      default:
        s.membri.push_back(((u / b * s.q + k / s.q) * n + u % b * s.q + k % s.q) * n + v);
      }
    }
  s.fondo.assign(static_cast<std::size_t>(n * n), 0);
  s.altezza.assign(static_cast<std::size_t>(n * n), 0);
  s.limiteimparate = 5000;
}

Esito risolviclausole(Clausole &s, const std::vector<int> &ipotesi, long long limite,
                      std::vector<int> &modello) {
  s.spesi = 0;
  const int n = s.n;
  if (n == 1) {
    modello.assign(1, 1);
    return Esito::si;
  }
  adegua(s, ipotesi);
  torna(s, 0);
  // A conflict at level 0 leaves its propagation cut short: the ground is
  // then marked as contradicting the rules, for good.
  s.fondocontraddittorio = s.fondocontraddittorio || !propaga(s);
  if (s.fondocontraddittorio || !ipotizza(s, ipotesi)) {
    torna(s, 0);
    return Esito::no;
  }
  int ripartenze = 0;
  long long finoa = 128 * luby(0);
  while (true) {
    if (!propaga(s)) {
      if (livelloattuale(s) <= 1) {
        torna(s, 0);
        return Esito::no;
      }
      ++s.spesi;
      --finoa;
      const int indietro = analizza(s);
      s.incremento /= 0.99;
      if (s.appresa.size() == 1) {
        torna(s, 0);
        s.unitaimparate.push_back({s.appresa[0], s.piano});
        assegna(s, s.appresa[0], SENZA);
        s.fondocontraddittorio = !propaga(s);
        if (s.fondocontraddittorio || !ipotizza(s, ipotesi)) {
          torna(s, 0);
          return Esito::no;
        }
      } else {
        torna(s, std::max(indietro, 1));
        const int cr = aggiungi(s, s.appresa, lbd(s, s.appresa), s.piano);
        assegna(s, s.appresa[0], cr);
      }
      if (s.imparate.size() > s.limiteimparate)
        finoa = 0;
      if (s.spesi >= limite) {
        torna(s, 0);
        return Esito::forse;
      }
      continue;
    }
    if (finoa <= 0) {
      // A restart keeps the question's cells; a sweep of the learnt
      // clauses goes back to level 0 to rebuild the watches.
      finoa = 128 * luby(++ripartenze);
      if (s.imparate.size() <= s.limiteimparate) {
        torna(s, 1);
        continue;
      }
      torna(s, 0);
      sfoltisci(s);
      s.limiteimparate += 1000;
      if (!ipotizza(s, ipotesi)) {
        torna(s, 0);
        return Esito::no;
      }
      continue;
    }
    int x = -1;
    while (!s.mucchio.empty() && x < 0) {
      x = estrai(s);
      if (s.valore[x] >= 0)
        x = -1;
    }
    if (x < 0) {
      modello.assign(static_cast<std::size_t>(n * n), 0);
      for (int y = 0; y < n * n * n; ++y)
        if (s.valore[y] == 1)
          modello[static_cast<std::size_t>(y / n)] = y % n + 1;
      torna(s, 0);
      return Esito::si;
    }
    s.inizi.push_back(static_cast<int>(s.traccia.size()));
    assegna(s, 2 * x + (s.fase[x] ? 0 : 1), SENZA);
  }
}
