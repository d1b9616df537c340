// Seeded generator and collection readers: see generatore.h.
#include "generatore.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace generatore {
namespace {

// Uniform integer in 0..limite-1 by rejection, independent of the standard library's
// distributions (whose algorithms differ between implementations).
std::uint32_t casuale(std::mt19937 &motore, std::uint32_t limite) {
  const std::uint64_t spazio = 1ULL << 32;
  const std::uint64_t soglia = spazio - spazio % limite;
  std::uint64_t x = 0;
  do {
    x = static_cast<std::uint32_t>(motore());
  } while (x >= soglia);
  return static_cast<std::uint32_t>(x % limite);
}

// Fisher-Yates shuffle driven by casuale().
void mescola(std::vector<int> &v, std::mt19937 &motore) {
  for (std::size_t i = v.size(); i > 1; --i) {
    const std::size_t k = casuale(motore, static_cast<std::uint32_t>(i));
    std::swap(v[i - 1], v[k]);
  }
}

std::vector<int> identita(int n) {
  std::vector<int> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    v[static_cast<std::size_t>(i)] = i;
  }
  return v;
}

int latointero(int n) {
  int q = 0;
  while ((q + 1) * (q + 1) <= n) {
    ++q;
  }
  return q;
}

// Random order of the n lines (rows or columns): bands of q lines shuffled, and the lines
// inside every band shuffled.
std::vector<int> ordinelinee(int n, int q, std::mt19937 &motore) {
  std::vector<int> bande = identita(n / q);
  mescola(bande, motore);
  std::vector<int> ordine;
  for (int b : bande) {
    std::vector<int> dentro = identita(q);
    mescola(dentro, motore);
    for (int t : dentro) {
      ordine.push_back(b * q + t);
    }
  }
  return ordine;
}

// True when g is a valid complete grid with q x q boxes aligned at multiples of q.
bool valida(const Griglia &g, int q) {
  const int n = static_cast<int>(g.size());
  for (int a = 0; a < n; ++a) {
    std::vector<int> riga(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> colonna(static_cast<std::size_t>(n) + 1, 0);
    for (int b = 0; b < n; ++b) {
      if (g[a][b] < 1 || g[a][b] > n || ++riga[g[a][b]] > 1 || ++colonna[g[b][a]] > 1) {
        return false;
      }
    }
  }
  for (int r0 = 0; r0 < n; r0 += q) {
    for (int c0 = 0; c0 < n; c0 += q) {
      std::vector<int> quadrato(static_cast<std::size_t>(n) + 1, 0);
      for (int r = r0; r < r0 + q; ++r) {
        for (int c = c0; c < c0 + q; ++c) {
          if (++quadrato[g[r][c]] > 1) {
            return false;
          }
        }
      }
    }
  }
  return true;
}

int valoresimbolo(char ch) {
  if (ch == '.' || ch == '0') {
    return 0;
  }
  if (ch >= '1' && ch <= '9') {
    return ch - '0';
  }
  if (ch >= 'A' && ch <= 'Z') {
    return ch - 'A' + 10;
  }
  if (ch >= 'a' && ch <= 'z') {
    return ch - 'a' + 10;
  }
  return -1;
}

std::vector<std::string> righe(const std::string &percorso) {
  std::istringstream in(leggitutto(percorso));
  std::vector<std::string> out;
  std::string riga;
  while (std::getline(in, riga)) {
    if (!riga.empty() && riga.back() == '\r') {
      riga.pop_back();
    }
    out.push_back(riga);
  }
  return out;
}

// Drops a TAB and everything after it, then trailing spaces.
std::string senzacommento(std::string riga) {
  const std::size_t tab = riga.find('\t');
  if (tab != std::string::npos) {
    riga.erase(tab);
  }
  while (!riga.empty() && riga.back() == ' ') {
    riga.pop_back();
  }
  return riga;
}

// Index of the first line from k on that keeps something once its comment is dropped; the
// readers below skip blank and comment-only lines through it and still name a line by k.
std::size_t prossima(const std::vector<std::string> &testo, std::size_t k) {
  while (k < testo.size() && senzacommento(testo[k]).empty()) {
    ++k;
  }
  return k;
}

std::vector<std::string> campi(const std::string &riga) {
  std::vector<std::string> out;
  std::size_t inizio = 0;
  while (true) {
    const std::size_t fine = riga.find(':', inizio);
    out.push_back(riga.substr(inizio, fine - inizio));
    if (fine == std::string::npos) {
      break;
    }
    inizio = fine + 1;
  }
  return out;
}

std::string dove(const std::string &percorso, std::size_t numero) {
  return percorso + ":" + std::to_string(numero + 1);
}

} // namespace

Griglia generasoluzione(int n, std::uint32_t seme) {
  if (n < 1) {
    throw std::invalid_argument("grid side must be positive");
  }
  const int q = latointero(n);
  if (n % q != 0) {
    throw std::invalid_argument("box side does not divide the grid side");
  }
  std::mt19937 motore(seme);

  // Base grid: row r = t + q * b (t inside its band b) is the cyclic shift by t * (n / q) + b.
  // The shifts are a permutation of 0..n-1 (columns hold no repeat) and the q shifts of a band
  // are n / q >= q apart, so the q x q window of a box never wraps onto itself.
  const int p = n / q;
  Griglia base(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  for (int r = 0; r < n; ++r) {
    const int spostamento = (r % q) * p + r / q;
    for (int c = 0; c < n; ++c) {
      base[r][c] = (spostamento + c) % n + 1;
    }
  }

  std::vector<int> valori = identita(n);
  mescola(valori, motore);
  const std::vector<int> ordinerighe = ordinelinee(n, q, motore);
  const std::vector<int> ordinecolonne = ordinelinee(n, q, motore);
  const bool trasposta = casuale(motore, 2) == 1;

  Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const int v = base[ordinerighe[r]][ordinecolonne[c]];
      const int valore = valori[static_cast<std::size_t>(v - 1)] + 1;
      if (trasposta) {
        g[c][r] = valore;
      } else {
        g[r][c] = valore;
      }
    }
  }
  if (!valida(g, q)) {
    throw std::logic_error("generated grid is not valid");
  }
  return g;
}

Griglia generapuzzle(const Griglia &soluzione, int vuote, std::uint32_t seme) {
  Griglia g = soluzione;
  const int n = static_cast<int>(g.size());
  const int celle = n * n;
  if (vuote < 0) {
    vuote = 0;
  }
  if (vuote > celle) {
    vuote = celle;
  }
  std::mt19937 motore(seme);
  std::vector<int> indici = identita(celle);
  // Partial Fisher-Yates: the first `vuote` entries become a uniform random subset.
  for (int i = 0; i < vuote; ++i) {
    const int k = i + static_cast<int>(casuale(motore, static_cast<std::uint32_t>(celle - i)));
    std::swap(indici[static_cast<std::size_t>(i)], indici[static_cast<std::size_t>(k)]);
    g[indici[static_cast<std::size_t>(i)] / n][indici[static_cast<std::size_t>(i)] % n] = 0;
  }
  return g;
}

std::vector<int> permutazione(int k, std::uint32_t seme) {
  std::mt19937 motore(seme);
  std::vector<int> v = identita(k);
  mescola(v, motore);
  return v;
}

std::string leggitutto(const std::string &percorso) {
  std::ifstream f(percorso, std::ios::binary);
  if (!f) {
    throw std::runtime_error("cannot open " + percorso);
  }
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void scrivitutto(const std::string &percorso, const std::string &testo) {
  std::ofstream f(percorso, std::ios::binary);
  f << testo;
  if (!f.flush()) {
    throw std::runtime_error("cannot write " + percorso);
  }
}

std::string testopuzzle(const Griglia &g) {
  std::string out;
  for (const auto &riga : g) {
    for (std::size_t c = 0; c < riga.size(); ++c) {
      if (c > 0) {
        out += ' ';
      }
      out += std::to_string(riga[c]);
    }
    out += '\n';
  }
  return out;
}

Griglia grigliadatesto(const std::string &testo) {
  std::istringstream righe(testo);
  Griglia g;
  for (std::string riga; std::getline(righe, riga);) {
    std::istringstream valori(riga);
    g.emplace_back(std::istream_iterator<int>(valori), std::istream_iterator<int>());
  }
  return g;
}

Griglia grigliadasimboli(const std::string &simboli) {
  const int lunghezza = static_cast<int>(simboli.size());
  const int n = latointero(lunghezza);
  if (n == 0 || n * n != lunghezza) {
    throw std::runtime_error("symbol count " + std::to_string(lunghezza) + " is not a square");
  }
  Griglia g(static_cast<std::size_t>(n), std::vector<int>(static_cast<std::size_t>(n), 0));
  for (int k = 0; k < lunghezza; ++k) {
    const int v = valoresimbolo(simboli[static_cast<std::size_t>(k)]);
    if (v < 0 || v > n) {
      throw std::runtime_error(std::string("bad cell symbol '") + simboli[k] + "'");
    }
    g[k / n][k % n] = v;
  }
  return g;
}

std::vector<Griglia> leggiraccolta(const std::string &percorso) {
  const std::vector<std::string> testo = righe(percorso);
  std::vector<Griglia> out;
  for (std::size_t k = prossima(testo, 0); k < testo.size(); k = prossima(testo, k + 1)) {
    const std::string riga = senzacommento(testo[k]);
    try {
      if (riga.rfind("Grid", 0) == 0) {
        // Header, then one line of digits per row; the first row fixes N.
        std::string simboli;
        std::size_t n = 0;
        std::size_t lette = 0;
        while (n == 0 || lette < n) {
          ++k;
          if (k >= testo.size()) {
            throw std::runtime_error("grid block cut short");
          }
          const std::string r = senzacommento(testo[k]);
          if (n == 0) {
            n = r.size();
          }
          if (r.size() != n || n == 0) {
            throw std::runtime_error("grid row of wrong length");
          }
          simboli += r;
          ++lette;
        }
        out.push_back(grigliadasimboli(simboli));
      } else {
        out.push_back(grigliadasimboli(campi(riga)[0]));
      }
    } catch (const std::runtime_error &errore) {
      throw std::runtime_error(dove(percorso, k) + ": " + errore.what());
    }
  }
  return out;
}

std::vector<Griglia> leggisoluzioni(const std::string &percorso) {
  const std::vector<std::string> testo = righe(percorso);
  std::vector<Griglia> out;
  for (std::size_t k = prossima(testo, 0); k < testo.size(); k = prossima(testo, k + 1)) {
    const std::string riga = senzacommento(testo[k]);
    const std::vector<std::string> parti = campi(riga);
    if (parti.size() != 2) {
      throw std::runtime_error(dove(percorso, k) + ": expected puzzle:solution");
    }
    try {
      out.push_back(grigliadasimboli(parti[1]));
    } catch (const std::runtime_error &errore) {
      throw std::runtime_error(dove(percorso, k) + ": " + errore.what());
    }
  }
  return out;
}

std::vector<std::pair<Griglia, int>> leggitdoku(const std::string &percorso) {
  const std::vector<std::string> testo = righe(percorso);
  std::vector<std::pair<Griglia, int>> out;
  for (std::size_t k = prossima(testo, 0); k < testo.size(); k = prossima(testo, k + 1)) {
    const std::string riga = senzacommento(testo[k]);
    const std::vector<std::string> parti = campi(riga);
    if (parti.size() < 2 || parti.size() > 3 || parti[1].empty() ||
        parti[1].find_first_not_of("0123456789") != std::string::npos) {
      throw std::runtime_error(dove(percorso, k) + ": expected puzzle:count[:solution]");
    }
    try {
      out.emplace_back(grigliadasimboli(parti[0]), std::stoi(parti[1]));
    } catch (const std::runtime_error &errore) {
      throw std::runtime_error(dove(percorso, k) + ": " + errore.what());
    }
  }
  return out;
}

} // namespace generatore
