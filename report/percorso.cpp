#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "report/intestazione.h"
#include "report/pagine.h"
#include "report/scrittore.h"

namespace {

std::string numero(int v) {
  char buf[16];
  auto fine = std::to_chars(buf, buf + sizeof buf, v).ptr;
  return std::string(buf, fine);
}

const char *const MOTIVI[] = {
    nullptr,
    "(Numero imposto arbitrariamente)",
    "(Numero determinato univocamente - Unico possibile di riga)",
    "(Numero determinato univocamente - Unico possibile di colonna)",
    "(Numero determinato univocamente - Unico possibile del quadrato)",
};

// Cell texts of the step boards, by value (0 = empty) and shading, and of
// the red cell a step has just filled.
struct Caselle {
  std::vector<std::string> piane, ombrate, rosse;
  explicit Caselle(int n) : piane(n + 1), ombrate(n + 1), rosse(n + 1) {
    piane[0] = "<td>&nbsp;</td>\n";
    ombrate[0] = "<td bgcolor=white>&nbsp;</td>\n";
    for (int v = 1; v <= n; ++v) {
      piane[v] = "<td>" + numero(v) + "</td>\n";
      ombrate[v] = "<td bgcolor=white>" + numero(v) + "</td>\n";
      rosse[v] = "<td bgcolor=red>" + numero(v) + "</td>\n";
    }
  }
};

// The step board as it stands, with no red cell, in bands of consecutive
// rows, each band one text: the page points at the bands instead of copying
// them, and a step gives the band of the cell it fills a new text, handing
// the old one to the page. A band holds perbanda rows (the last one may
// hold fewer), about BANDA bytes while the board is empty.
constexpr std::size_t BANDA = 8192;

struct Tavola {
  std::vector<std::unique_ptr<std::string>> bande;
  std::vector<std::size_t> inizio;             // where row i starts in its band
  std::vector<std::vector<std::size_t>> celle; // where each cell of row i starts in
                                               // the row, then where "</tr>" does
  int perbanda = 1;
};

void preparatavola(Tavola &t, const Griglia &b, const std::vector<char> &ombra, const Caselle &c) {
  const int n = static_cast<int>(b.size());
  t.inizio.assign(n, 0);
  t.celle.assign(n, std::vector<std::size_t>(n + 1));
  std::vector<std::string> righe(n);
  for (int i = 0; i < n; ++i) {
    std::string &r = righe[i];
    r += "<tr>\n\n";
    for (int j = 0; j < n; ++j) {
      t.celle[i][j] = r.size();
      r += ombra[static_cast<std::size_t>(i) * n + j] ? c.ombrate[b[i][j]] : c.piane[b[i][j]];
    }
    t.celle[i][n] = r.size();
    r += "</tr>\n\n";
  }
  t.perbanda = static_cast<int>(std::clamp<std::size_t>(BANDA / righe[0].size(), 1, n));
  t.bande.clear();
  for (int i = 0; i < n; ++i) {
    if (i % t.perbanda == 0)
      t.bande.push_back(std::make_unique<std::string>());
    t.inizio[i] = t.bande.back()->size();
    *t.bande.back() += righe[i];
  }
}

// Cell (i, j) of the board now reads testo.
void cambiacella(Pagina &p, Tavola &t, int i, int j, std::string_view testo) {
  const int banda = i / t.perbanda;
  const std::string_view vecchio = *t.bande[banda];
  const std::size_t da = t.inizio[i] + t.celle[i][j], a = t.inizio[i] + t.celle[i][j + 1];
  auto nuovo = std::make_unique<std::string>();
  nuovo->reserve(vecchio.size() - (a - da) + testo.size());
  nuovo->append(vecchio.substr(0, da)).append(testo).append(vecchio.substr(a));
  // What follows the cell in its band moves by the change of length.
  const std::size_t prima = a - da;
  for (std::size_t &k : std::span(t.celle[i]).subspan(j + 1))
    k = k - prima + testo.size();
  const int n = static_cast<int>(t.inizio.size());
  for (int r = i + 1; r < std::min(n, (banda + 1) * t.perbanda); ++r)
    t.inizio[r] = t.inizio[r] - prima + testo.size();
  custodisci(p, std::exchange(t.bande[banda], std::move(nuovo)));
}

// Writes the board with the cell (i, j) as the new, red one.
void scrivitavola(Pagina &p, const Tavola &t, int i, int j, std::string_view rossa) {
  for (int b = 0; b < static_cast<int>(t.bande.size()); ++b) {
    const std::string_view testo = *t.bande[b];
    if (b != i / t.perbanda) {
      riferisci(p, testo);
      continue;
    }
    riferisci(p, testo.substr(0, t.inizio[i] + t.celle[i][j]));
    scrivi(p, rossa);
    riferisci(p, testo.substr(t.inizio[i] + t.celle[i][j + 1]));
  }
}

void tabellainiziale(Pagina &p, const Griglia &b, const std::vector<char> &ombra) {
  const int n = static_cast<int>(b.size());
  scrivi(p, "<TABLE border=1 cellpadding=5 align=center>\n\n");
  for (int i = 0; i < n; ++i) {
    scrivi(p, "<tr>\n\n");
    for (int j = 0; j < n; ++j) {
      const bool o = ombra[static_cast<std::size_t>(i) * n + j];
      scrivi(p, o ? "<td bgcolor=white>" : "<td>");
      scrivi(p, b[i][j] != 0 ? numero(b[i][j]) : std::string("&nbsp;"));
      scrivi(p, "</td>");
    }
    scrivi(p, "</tr>");
  }
  scrivi(p, "</table><br><br>\n\n");
}

struct Passo {
  int i = -1, j = -1, tipo = 0;
};

// For each step number, the first cell in row-major order that carries it.
std::vector<Passo> indicepassi(const Griglia &passi, int ultimo) {
  std::vector<Passo> dove(static_cast<std::size_t>(ultimo) + 1);
  const int n = static_cast<int>(passi.size());
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int codice = passi[i][j];
      if (codice <= 0)
        continue;
      const int s = numeropasso(codice), k = tipopasso(codice);
      if (k < PASSO_IPOTESI || k > PASSO_QUADRATO || s > ultimo || dove[s].tipo != 0)
        continue;
      dove[s] = {i, j, k};
    }
  return dove;
}

} // namespace

bool stampapercorso(Pagina &p, const Griglia &g, const Griglia &passi) {
  const int n = static_cast<int>(g.size());
  if (!apripagina(p, "out4F.html"))
    return false;
  const std::vector<char> ombra = ombre(n);
  scrivi(p, INTESTAZIONE);
  scrivi(p, "<br><br><h1 align=center>Soluzione passo per passo</h1><br><p align=center>");
  scrivi(p, "<br><b>Tabella iniziale:</b><br><br>");
  tabellainiziale(p, tabellaold, ombra);

  const Caselle caselle(n);
  Tavola tavola;
  preparatavola(tavola, tabellaold, ombra, caselle);

  const std::vector<Passo> dove = indicepassi(passi, classifica);
  char linea[256];
  for (int s = 1; s <= classifica; ++s) {
    const Passo &ps = dove[s];
    if (ps.tipo == 0)
      continue;
    if (ps.tipo == PASSO_IPOTESI)
      scrivi(p, "</p><hr width=600 size=3 color=red><p align=center>");
    const int valore = g[ps.i][ps.j];
    const int len =
        std::snprintf(linea, sizeof linea, "<br>%3d\xB0 numero trovato (%d,%d): %2d %s<br><br>\n",
                      s, ps.i + 1, ps.j + 1, valore, MOTIVI[ps.tipo]);
    scrivi(p, std::string_view(linea, static_cast<std::size_t>(len)));
    tabellaold[ps.i][ps.j] = valore;
    const bool ombrata = ombra[static_cast<std::size_t>(ps.i) * n + ps.j];
    cambiacella(p, tavola, ps.i, ps.j, ombrata ? caselle.ombrate[valore] : caselle.piane[valore]);

    scrivi(p, "<TABLE border=1 cellpadding=5 align=center>\n\n");
    scrivitavola(p, tavola, ps.i, ps.j, caselle.rosse[valore]);
    scrivi(p, "</table><br>\n\n");
  }
  scrivi(p, "</p>\n");
  scrivi(p, "</body></html>\n");
  return chiudipagina(p);
}
