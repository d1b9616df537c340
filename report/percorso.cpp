#include <charconv>
#include <cstdio>
#include <string>
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

// Cell texts of the step boards, by value (0 = empty) and shading.
struct Caselle {
  std::vector<std::string> piane, ombrate;
  explicit Caselle(int n) : piane(n + 1), ombrate(n + 1) {
    piane[0] = "<td>&nbsp;</td>\n";
    ombrate[0] = "<td bgcolor=white>&nbsp;</td>\n";
    for (int v = 1; v <= n; ++v) {
      piane[v] = "<td>" + numero(v) + "</td>\n";
      ombrate[v] = "<td bgcolor=white>" + numero(v) + "</td>\n";
    }
  }
};

// One board row as it stands, with no red cell, and where each cell's text
// starts in it (n + 1 offsets), so the red cell can be spliced in on writing.
struct RigaTavola {
  std::string testo;
  std::vector<std::size_t> inizi;
};

void componi(RigaTavola &r, const std::vector<int> &valori, const char *ombra, const Caselle &t) {
  const std::size_t n = valori.size();
  r.testo.clear();
  r.inizi.resize(n + 1);
  r.testo += "<tr>\n\n";
  for (std::size_t j = 0; j < n; ++j) {
    r.inizi[j] = r.testo.size();
    r.testo += ombra[j] ? t.ombrate[valori[j]] : t.piane[valori[j]];
  }
  r.inizi[n] = r.testo.size();
  r.testo += "</tr>\n\n";
}

// Writes the row with the cell at column rossa as the new, red one.
void scrivirossa(Pagina &p, const RigaTavola &r, int rossa, int valore) {
  const std::string_view testo = r.testo;
  scrivi(p, testo.substr(0, r.inizi[rossa]));
  scrivi(p, "<td bgcolor=red>");
  scrivi(p, numero(valore));
  scrivi(p, "</td>\n");
  scrivi(p, testo.substr(r.inizi[rossa + 1]));
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

bool stampapercorso(const Griglia &g, const Griglia &passi) {
  const int n = static_cast<int>(g.size());
  Pagina p;
  if (!apripagina(p, "out4F.html"))
    return false;
  const std::vector<char> ombra = ombre(n);
  scrivi(p, INTESTAZIONE);
  scrivi(p, "<br><br><h1 align=center>Soluzione passo per passo</h1><br><p align=center>");
  scrivi(p, "<br><b>Tabella iniziale:</b><br><br>");
  tabellainiziale(p, tabellaold, ombra);

  const Caselle caselle(n);
  std::vector<RigaTavola> righe(n);
  for (int i = 0; i < n; ++i)
    componi(righe[i], tabellaold[i], &ombra[static_cast<std::size_t>(i) * n], caselle);

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
    componi(righe[ps.i], tabellaold[ps.i], &ombra[static_cast<std::size_t>(ps.i) * n], caselle);

    scrivi(p, "<TABLE border=1 cellpadding=5 align=center>\n\n");
    for (int i = 0; i < n; ++i)
      if (i == ps.i)
        scrivirossa(p, righe[i], ps.j, valore);
      else
        scrivi(p, righe[i].testo);
    scrivi(p, "</table><br>\n\n");
  }
  scrivi(p, "</p>\n");
  scrivi(p, "</body></html>\n");
  return chiudipagina(p);
}
