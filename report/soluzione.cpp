#include <charconv>
#include <cstdio>
#include <string>

#include "report/intestazione.h"
#include "report/messainposto.h"
#include "report/pagine.h"
#include "report/scrittore.h"

namespace {

void cella(Pagina &p, int valore, bool data, bool ombrata) {
  scrivi(p, ombrata ? "<td align=center bgcolor=\"#007700\">" : "<td align=center>");
  if (!data)
    scrivi(p, "<font color=red>");
  char buf[16];
  scrivi(p, std::string_view(buf, std::to_chars(buf, buf + sizeof buf, valore).ptr));
  scrivi(p, data ? "</td> " : "</font></td> ");
}

} // namespace

bool stampatabella(const Griglia &g, const Griglia &passi) {
  const int n = static_cast<int>(g.size());
  Pagina p;
  if (!apripagina(p, "out.html"))
    return false;
  const std::vector<char> ombra = ombre(n);
  scrivi(p, INTESTAZIONE);
  scrivi(p, "\n<br><br>\n<h1 align=\"center\">Soluzione Sudoku</h1>\n<br>\n\n");
  scrivi(p, "<TABLE border=1 cellpadding=5 align=center>\n\n");
  for (int i = 0; i < n; ++i) {
    scrivi(p, "<tr>");
    for (int j = 0; j < n; ++j)
      cella(p, g[i][j], tabellaold[i][j] == g[i][j], ombra[static_cast<std::size_t>(i) * n + j]);
    scrivi(p, "</tr>\n");
  }
  scrivi(p, "</table><br><br>");
  char buf[256];
  int len = std::snprintf(buf, sizeof buf, "\nGrandezza tabella: %d x %d<br>\n", n, n);
  scrivi(p, std::string_view(buf, static_cast<std::size_t>(len)));
  len = std::snprintf(buf, sizeof buf, "Tempo della CPU impiegato: %7.3f secondi<br>\n",
                      (tp1 - tp0) / 1000.0);
  scrivi(p, std::string_view(buf, static_cast<std::size_t>(len)));
  scrivi(p, "<a href=\"out4F.html\">Guarda la soluzione passo per passo</a><br>\n");
  scrivi(p, "</body></html>\n");
  // A failed write of this page still lets the step page be tried, so that
  // its own failure is told too; only a page that could not be opened stops
  // here. Either failure leaves both earlier pages, and no viewer.
  const bool soluzione = chiudipagina(p);
  Pagina percorso;
  if (!stampapercorso(percorso, g, passi) || !soluzione)
    return false;
  // out.html last: its link names the step page beside it.
  return mettiinposto({&percorso, &p});
}
