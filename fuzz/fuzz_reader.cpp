// Fuzz target of the puzzle reader. Arbitrary bytes go to leggipuzzle; an
// accepted file must hold a grid the search can take as it is, and must read
// back the same grid by a plain reading of the format; a refused one must
// give a one-line message that points into the file. The same bytes fed in
// pieces of any size must give the same outcome.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/lettore.h"
#include "app/stato.h"
#include "controlli.h"

namespace {

using controlli::coerente;
using controlli::radice;

// The lines of testo without their line ends ("\n", or "\r\n"); a last
// line without "\n" is kept whole.
std::vector<std::string> righe(const std::string &testo) {
  std::vector<std::string> r;
  std::size_t inizio = 0;
  while (inizio < testo.size()) {
    const std::size_t fine = testo.find('\n', inizio);
    if (fine == std::string::npos) {
      r.push_back(testo.substr(inizio));
      break;
    }
    const bool cr = fine > inizio && testo[fine - 1] == '\r';
    r.push_back(testo.substr(inizio, fine - inizio - cr));
    inizio = fine + 1;
  }
  return r;
}

// The values of one line of an accepted file: "0" alone, or a digit 1..9
// and the digits up to the next space.
std::vector<int> valori(const std::string &riga) {
  std::vector<int> v;
  std::size_t p = 0;
  while (p < riga.size()) {
    if (riga[p] == ' ') {
      ++p;
    } else if (riga[p] == '0') {
      v.push_back(0);
      ++p;
    } else {
      int x = 0;
      for (; p < riga.size() && riga[p] != ' '; ++p)
        x = x < 1000 ? x * 10 + (riga[p] - '0') : x;
      v.push_back(x);
    }
  }
  return v;
}

void verificaaccettato(const std::string &testo, const Griglia &g) {
  // Only digits, spaces and line ends; every line ended; no line begins with a space.
  VERIFICA(testo.back() == '\n');
  for (std::size_t p = 0; p < testo.size(); ++p) {
    const char c = testo[p];
    VERIFICA((c >= '0' && c <= '9') || c == ' ' || c == '\n' ||
             (c == '\r' && p + 1 < testo.size() && testo[p + 1] == '\n'));
    VERIFICA(c != ' ' || (p > 0 && testo[p - 1] != '\n'));
  }
  VERIFICA(testo[0] != ' ' && testo[0] != '\n' && testo[0] != '\r');

  // A side the search can take, and givens that do not clash.
  const int n = static_cast<int>(g.size());
  VERIFICA(n >= 1 && n <= LATO_MASSIMO);
  VERIFICA(n % radice(n) == 0);
  VERIFICA(coerente(g, n));

  // The same grid by a plain reading: the first line fixes N, line k is row
  // k - 1, short and missing rows are empty, later lines are empty.
  const std::vector<std::string> r = righe(testo);
  VERIFICA(valori(r[0]).size() == static_cast<std::size_t>(n));
  Griglia atteso(n, std::vector<int>(n, 0));
  for (std::size_t k = 0; k < r.size(); ++k) {
    const std::vector<int> v = valori(r[k]);
    if (k >= static_cast<std::size_t>(n)) {
      VERIFICA(r[k].empty());
      continue;
    }
    VERIFICA(v.size() <= static_cast<std::size_t>(n));
    for (std::size_t c = 0; c < v.size(); ++c)
      atteso[k][c] = v[c];
  }
  VERIFICA(g == atteso);

  // CR LF line ends read the same.
  std::string crlf;
  for (std::size_t p = 0; p < testo.size(); ++p) {
    if (testo[p] == '\n' && (p == 0 || testo[p - 1] != '\r'))
      crlf += '\r';
    crlf += testo[p];
  }
  const Lettura l = leggipuzzle(crlf);
  VERIFICA(l.valida);
  VERIFICA(l.griglia == g);
}

void verificarifiutato(const std::string &testo, const Lettura &l) {
  // The fault is in the file: a line that exists (line 1 of an empty file),
  // a column on it or just past its end.
  const std::vector<std::string> r = righe(testo);
  VERIFICA(l.riga >= 1 && l.colonna >= 1);
  if (r.empty()) {
    VERIFICA(l.riga == 1 && l.colonna == 1);
  } else {
    VERIFICA(l.riga <= static_cast<int>(r.size()));
    VERIFICA(l.colonna <= static_cast<int>(r[l.riga - 1].size()) + 1);
  }

  // One line of printable text, "FILE:LINE:COLUMN: errore: ", then the message.
  VERIFICA(!l.messaggio.empty());
  const std::string m = messaggiolettura("puzzle.txt", l);
  const std::string inizio =
      "puzzle.txt:" + std::to_string(l.riga) + ":" + std::to_string(l.colonna) + ": errore: ";
  VERIFICA(m.size() > inizio.size() + 1);
  VERIFICA(m.compare(0, inizio.size(), inizio) == 0);
  VERIFICA(m.back() == '\n');
  for (std::size_t p = 0; p + 1 < m.size(); ++p)
    VERIFICA(m[p] >= 32 && m[p] <= 126);
}

// The bytes in pieces of 1 to 7 bytes, the sizes taken from the bytes
// themselves, give what the whole file gives.
void verificapezzi(const std::string &testo, const Lettura &intero) {
  Analisi a;
  for (std::size_t p = 0; p < testo.size();) {
    const std::size_t lunghezza = 1 + static_cast<unsigned char>(testo[p]) % 7;
    analizza(a, std::string_view(testo).substr(p, lunghezza));
    p += lunghezza;
  }
  const Lettura l = concludi(a);
  VERIFICA(l.valida == intero.valida && l.griglia == intero.griglia);
  VERIFICA(l.riga == intero.riga && l.colonna == intero.colonna);
  VERIFICA(l.messaggio == intero.messaggio);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dim) {
  const std::string testo(reinterpret_cast<const char *>(dati), dim);
  const Lettura l = leggipuzzle(testo);
  if (l.valida)
    verificaaccettato(testo, l.griglia);
  else
    verificarifiutato(testo, l);
  verificapezzi(testo, l);
  return 0;
}
