#include "report/messainposto.h"

#include <cerrno>
#include <string>
#include <vector>

#include "app/stato.h"
#include "report/parziali.h"
#include "report/scrittore.h"
#include "report/sistema.h"

namespace {

// Where a page's earlier page went while the page goes in place.
enum class Posa : unsigned char { nessuna, scambiata, accantonata, spostata, nuova };

// A page going in place: where its earlier page went, and the name the
// earlier page is kept under when it cannot be exchanged with the new one.
struct Collocazione {
  Pagina *pagina;
  Posa posa;
  std::string conservata;
};

// Puts a page in place keeping the earlier one, which ripristina puts back
// and congeda removes: exchanged with the new page where the system can,
// else moved aside under the page's kept name first. On failure c.posa says
// what is to be undone. Allocates nothing.
bool posa(Collocazione &c) {
  const Pagina &p = *c.pagina;
  if (scambia(p.parziale, p.nome)) {
    c.posa = Posa::scambiata;
    // A folder come to the page's name since it was looked for goes back.
    return !cartellaal(p.parziale.c_str());
  }
  if (sposta(p.nome, c.conservata))
    c.posa = Posa::accantonata;
  else if (errno != ENOENT)
    return false;
  if (!sposta(p.parziale, p.nome))
    return false;
  c.posa = c.posa == Posa::accantonata ? Posa::spostata : Posa::nuova;
  return true;
}

// Puts the earlier page back where posa left it; the new page, if not
// replaced, is back at its partial name or gone.
bool ripristina(Collocazione &c) {
  const Pagina &p = *c.pagina;
  bool riuscito = true;
  switch (c.posa) {
  case Posa::nessuna:
    break;
  case Posa::scambiata:
    riuscito = scambia(p.parziale, p.nome);
    break;
  case Posa::accantonata:
  case Posa::spostata:
    riuscito = sposta(c.conservata, p.nome);
    break;
  case Posa::nuova:
    riuscito = elimina(p.nome.c_str());
    break;
  }
  if (riuscito)
    c.posa = Posa::nessuna;
  return riuscito;
}

// The page is in place for good: the earlier page kept by posa goes.
void congeda(Collocazione &c) {
  Pagina &p = *c.pagina;
  if (c.posa == Posa::scambiata)
    elimina(p.parziale.c_str());
  else if (c.posa == Posa::spostata)
    elimina(c.conservata.c_str());
  c.posa = Posa::nessuna;
  lasciaparziale(p);
}

// Tells of an earlier page that could not be put back, and leaves the file
// that keeps it, if any, where it is.
void irrecuperabile(Collocazione &c) {
  Pagina &p = *c.pagina;
  std::string testo = "Errore nel ripristino del file " + p.nome + "\n";
  if (c.posa == Posa::scambiata) {
    testo += "La pagina precedente resta in " + p.parziale + "\n";
    lasciaparziale(p);
  } else if (c.posa != Posa::nuova) {
    testo += "La pagina precedente resta in " + c.conservata + "\n";
  }
  console(testo);
}

} // namespace

bool mettiinposto(std::initializer_list<Pagina *> pagine) {
  std::vector<Collocazione> lista;
  lista.reserve(pagine.size());
  for (Pagina *p : pagine)
    lista.push_back({p, Posa::nessuna, nomeproprio(p->nome)});
  prendiserratura();
  Pagina *guasta = nullptr;
  // A folder planted at a page's name since it was opened is found before
  // any page moves, so that none does.
  for (const Collocazione &c : lista)
    if (guasta == nullptr && cartellaal(c.pagina->nome.c_str()))
      guasta = c.pagina;
  // From here to the lock's release nothing allocates: running out of
  // memory removes the partial files, which may hold an earlier page.
  trattienisegnali();
  std::size_t posate = 0;
  for (; guasta == nullptr && posate < lista.size(); ++posate) {
    Collocazione &c = lista[posate];
    const Pagina &p = *c.pagina;
    if (!(posate + 1 < lista.size() ? posa(c) : sposta(p.parziale, p.nome)))
      guasta = c.pagina;
  }
  if (guasta == nullptr)
    for (Collocazione &c : lista)
      congeda(c);
  for (std::size_t k = posate; guasta != nullptr && k-- > 0;)
    ripristina(lista[k]);
  lasciaserratura();
  rilasciasegnali();
  if (guasta == nullptr)
    return true;
  console("Errore nella scrittura del file " + guasta->nome + "\n");
  for (Collocazione &c : lista) {
    if (c.posa != Posa::nessuna)
      irrecuperabile(c);
    scarta(*c.pagina);
  }
  return false;
}
