// Fuzz target of the puzzle reader. Arbitrary bytes go to leggipuzzle; an
// accepted file must hold a grid the search can take as it is, and must read
// back the same grid by a plain reading of the format; a refused one must
// give a one-line message that points into the file. The same bytes fed in
// pieces of any size must give the same outcome.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/lettore.h"
#include "app/stato.h"
#include "verifica.h"

namespace {

// The lines of testo without their line ends ("\n", or "\r\n"); a last
// line without "\n" is kept whole.
std::vector<std::string> righe(const std::string &testo) {
  std::vector<std::string> r;
  for (std::size_t inizio = 0, fine; inizio < testo.size(); inizio = fine + 1) {
    fine = std::min(testo.find('\n', inizio), testo.size());
    const bool cr = fine < testo.size() && fine > inizio && testo[fine - 1] == '\r';
    r.push_back(testo.substr(inizio, fine - inizio - cr));
  }
  return r;
}

// The values of one line of an accepted file: "0" alone, or a digit 1..9
// and the digits up to the next space.
std::vector<int> valori(const std::string &riga) {
  std::vector<int> v;
  for (std::size_t p = 0; p < riga.size(); ++p) {
    if (riga[p] == ' ')
      continue;
    v.push_back(riga[p] - '0');
    while (v.back() != 0 && p + 1 < riga.size() && riga[p + 1] != ' ')
      v.back() = std::min(v.back() * 10 + riga[++p] - '0', 1000);
  }
  return v;
}

void verificaaccettato(const std::string &testo, const Griglia &g) {
  // Only digits, spaces and line ends; every line ended, none begun by a space.
  VERIFICA(testo.back() == '\n' && testo[0] != ' ' && testo[0] != '\n' && testo[0] != '\r');
  for (std::size_t p = 0; p < testo.size(); ++p) {
    const char c = testo[p];
    VERIFICA((c >= '0' && c <= '9') || c == ' ' || c == '\n' ||
             (c == '\r' && testo[p + 1] == '\n'));
    VERIFICA(c != ' ' || testo[p - 1] != '\n');
  }
  // A side the search can take, givens that do not clash, and the grid of a
  // plain reading: the first line fixes N, line k is row k - 1, short and
  // missing rows are empty, later lines are empty.
  const int n = static_cast<int>(g.size());
  VERIFICA(n >= 1 && n <= LATO_MASSIMO && verifica::griglia(g, g, false).empty());
  const std::vector<std::string> r = righe(testo);
  VERIFICA(valori(r[0]).size() == g.size());
  Griglia atteso(n, std::vector<int>(n, 0));
  for (std::size_t k = 0; k < r.size(); ++k) {
    const std::vector<int> v = valori(r[k]);
    VERIFICA(k < g.size() ? v.size() <= g.size() : r[k].empty());
    if (k < g.size())
      std::copy(v.begin(), v.end(), atteso[k].begin());
  }
  VERIFICA(g == atteso);

  std::string crlf;
  for (std::size_t p = 0; p < testo.size(); ++p)
    crlf += testo[p] == '\n' && (p == 0 || testo[p - 1] != '\r') ? "\r\n" : testo.substr(p, 1);
  const Lettura l = leggipuzzle(crlf);
  VERIFICA(l.valida && l.griglia == g);
}

void verificarifiutato(const std::string &testo, const Lettura &l) {
  // The fault is in the file: a line that exists (line 1 of an empty file),
  // a column on it or just past its end.
  const std::vector<std::string> r = righe(testo);
  VERIFICA(l.riga >= 1 && l.colonna >= 1 && l.riga <= std::max(static_cast<int>(r.size()), 1));
  VERIFICA(l.colonna <= (r.empty() ? 1 : static_cast<int>(r[l.riga - 1].size()) + 1));
  // One line of printable text, "FILE:LINE:COLUMN: errore: ", then the message.
  const std::string m = messaggiolettura("puzzle.txt", l);
  const std::string inizio =
      "puzzle.txt:" + std::to_string(l.riga) + ":" + std::to_string(l.colonna) + ": errore: ";
  VERIFICA(!l.messaggio.empty() && m == inizio + l.messaggio + "\n");
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
  VERIFICA(l.riga == intero.riga && l.colonna == intero.colonna && l.messaggio == intero.messaggio);
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
