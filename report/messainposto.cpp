#include "report/messainposto.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/stato.h"
#include "report/parziali.h"
#include "report/scrittore.h"
#include "report/sistema.h"

namespace {

// The lock is held only while a run renames a few files: a wait longer
// than a second is told, as a run stopped or someone else holding the lock
// may be behind it, and one longer than half a minute is given up.
constexpr auto AVVISODOPO = std::chrono::seconds(1);
constexpr auto ATTESAMASSIMA = std::chrono::seconds(30);
// The longest pause between two tries at the lock, in milliseconds.
constexpr int PAUSAMASSIMA = 50;

// Where a page's earlier page went while the page goes in place.
enum class Posa : unsigned char { nessuna, scambiata, accantonata, spostata, nuova };

// A page going in place: where its earlier page went, and the name it is
// kept under while it cannot be exchanged with the new one.
struct Collocazione {
  Pagina *pagina;
  Posa posa;
  // An empty file created under a partial name of the page's, which the
  // earlier page replaces when it is moved aside: so it never lands on a
  // name someone else made. Null for the last page, which replaces its
  // earlier page at once.
  std::unique_ptr<Pagina> riserva;
  std::string conservata; // the name the earlier page is kept under while not in place
};

// Creates c's reserve name; false when it cannot be had.
bool riserva(Collocazione &c) {
  c.riserva = std::make_unique<Pagina>();
  c.riserva->nome = c.pagina->nome;
  if (!creaparziale(*c.riserva))
    return false;
  chiudi(*c.riserva);
  c.conservata = c.riserva->parziale;
  return true;
}

// Puts a page in place keeping the earlier one, which ripristina puts back
// and congeda removes: exchanged with the new page where the system can,
// else moved aside onto the reserve name first. On failure c.posa says
// what is to be undone. Allocates nothing.
bool posa(Collocazione &c) {
  const Pagina &p = *c.pagina;
  if (scambia(p.parziale, p.nome)) {
    c.posa = Posa::scambiata;
    // A folder come to the page's name since it was looked for goes back.
    return !cartellaal(p.parziale.c_str());
  }
  if (sposta(p.nome, c.conservata)) {
    c.posa = Posa::accantonata;
    // The reserve name holds the earlier page now: no ending removes it.
    lasciaparziale(*c.riserva);
  } else if (errno != ENOENT) {
    return false;
  }
  if (!sposta(p.parziale, p.nome))
    return false;
  c.posa = c.posa == Posa::accantonata ? Posa::spostata : Posa::nuova;
  return true;
}

// Puts the earlier page back where posa left it; the new page, if not
// replaced, is back at its partial name or gone. Where it cannot, the
// earlier page stays where it is kept, and from then on no ending removes
// it. Allocates nothing.
void ripristina(Collocazione &c) {
  Pagina &p = *c.pagina;
  bool riuscito = true;
  switch (c.posa) {
  case Posa::nessuna:
    break;
  case Posa::scambiata:
    riuscito = scambia(p.parziale, p.nome);
    if (!riuscito)
      c.conservata = tieniparziale(p);
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

// Tells of an earlier page that could not be put back, and where it is
// kept, if anywhere.
void irrecuperabile(const Collocazione &c) {
  std::string testo = "Errore nel ripristino del file " + c.pagina->nome + "\n";
  if (c.posa != Posa::nuova)
    testo += "La pagina precedente resta in " + c.conservata + "\n";
  console(testo);
}

// Takes the lock into s, telling once when the wait grows long; gives up
// (occupata) after ATTESAMASSIMA. Holds nothing unless it returns presa.
Presa attendiserratura(Serratura &s) {
  const auto inizio = std::chrono::steady_clock::now();
  bool avvisato = false;
  for (int passo = 1;; passo = std::min(2 * passo, PAUSAMASSIMA)) {
    const Presa p = provaserratura(s);
    if (p == Presa::presa)
      return p;
    const auto attesa = std::chrono::steady_clock::now() - inizio;
    if (p == Presa::negata || attesa >= ATTESAMASSIMA) {
      lasciaserratura(s);
      return p;
    }
    if (!avvisato && attesa >= AVVISODOPO) {
      console("Attesa di un'altra esecuzione che sta mettendo le sue pagine in questa "
              "cartella\n");
      avvisato = true;
    }
    pausa(passo);
  }
}

// Removes the partial files of a run whose pages do not go in place.
void scartatutto(std::vector<Collocazione> &lista) {
  for (Collocazione &c : lista) {
    scarta(*c.pagina);
    if (c.riserva)
      scarta(*c.riserva);
  }
}

// Renames the pages into place, the last one last, or puts back the earlier
// pages; the page that failed, or null. Allocates nothing: runs with the
// signals held back, and running out of memory would remove the partial
// files, which may hold an earlier page.
Pagina *rinomina(std::vector<Collocazione> &lista) {
  Pagina *guasta = nullptr;
  std::size_t posate = 0;
  for (; guasta == nullptr && posate < lista.size(); ++posate) {
    Collocazione &c = lista[posate];
    const Pagina &p = *c.pagina;
    if (!(c.riserva ? posa(c) : sposta(p.parziale, p.nome)))
      guasta = c.pagina;
  }
  if (guasta == nullptr)
    for (Collocazione &c : lista)
      congeda(c);
  for (std::size_t k = posate; guasta != nullptr && k-- > 0;)
    ripristina(lista[k]);
  return guasta;
}

} // namespace

bool mettiinposto(std::initializer_list<Pagina *> pagine) {
  std::vector<Collocazione> lista(pagine.size());
  std::size_t k = 0;
  Pagina *guasta = nullptr;
  for (Pagina *p : pagine) {
    Collocazione &c = lista[k++];
    c.pagina = p;
    c.posa = Posa::nessuna;
    if (k < lista.size() && guasta == nullptr && !riserva(c))
      guasta = p;
  }
  Serratura serratura;
  const Presa presa = guasta == nullptr ? attendiserratura(serratura) : Presa::presa;
  if (presa != Presa::presa) {
    console(presa == Presa::negata
                ? std::string("Errore nel blocco della cartella: pagine non sostituite\n")
                : "Errore nel blocco della cartella: un'altra esecuzione la tiene da " +
                      std::to_string(ATTESAMASSIMA.count()) + " secondi, pagine non sostituite\n");
    scartatutto(lista);
    return false;
  }
  // A folder planted at a page's name since it was opened is found before
  // any page moves, so that none does.
  for (const Collocazione &c : lista)
    if (guasta == nullptr && cartellaal(c.pagina->nome.c_str()))
      guasta = c.pagina;
  if (guasta == nullptr) {
    const Trattenuti trattenuti = trattienisegnali();
    guasta = rinomina(lista);
    lasciaserratura(serratura);
    rilasciasegnali(trattenuti);
  } else {
    lasciaserratura(serratura);
  }
  if (guasta == nullptr)
    return true;
  console("Errore nella scrittura del file " + guasta->nome + "\n");
  for (const Collocazione &c : lista)
    if (c.posa != Posa::nessuna)
      irrecuperabile(c);
  scartatutto(lista);
  return false;
}
