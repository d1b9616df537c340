#include "report/scrittore.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/stato.h"

#include "report/parziali.h"
#include "report/sistema.h"

namespace {

bool aperta(const Pagina &p) {
  return p.file != -1;
}

} // namespace

bool apripagina(Pagina &p, const std::string &nome) {
  p.nome = nome;
  p.guasta = false;
  p.buffer.clear();
  p.buffer.reserve(BLOCCO + BLOCCO / 4);
  p.pezzi.clear();
  p.pezzi.reserve(PEZZI);
  p.custoditi.clear();
  p.inattesa = 0;
  if (!creaparziale(p)) {
    console("Errore nell'apertura del file " + nome + "\n");
    return false;
  }
  return true;
}

void custodisci(Pagina &p, std::unique_ptr<std::string> testo) {
  p.custoditi.push_back(std::move(testo));
}

void svuota(Pagina &p) {
  if (!p.pezzi.empty() && !p.guasta && !scrivipezzi(p))
    p.guasta = true;
  p.pezzi.clear();
  p.buffer.clear();
  p.custoditi.clear();
  p.inattesa = 0;
}

bool chiudipagina(Pagina &p) {
  svuota(p);
  if (!chiudi(p))
    p.guasta = true;
  // The other page may be written meanwhile: the buffers go now.
  p.buffer = std::string();
  p.pezzi = std::vector<Pagina::Pezzo>();
  if (!p.guasta)
    return true;
  scarta(p);
  console("Errore nella scrittura del file " + p.nome + "\n");
  return false;
}

namespace {

using Posa = Pagina::Posa;

// Puts a page in place keeping the earlier one, which ripristina puts back
// and congeda removes: exchanged with the new page where the system can,
// else moved aside under the page's kept name first. On failure p.posa says
// what is to be undone. Allocates nothing.
bool posa(Pagina &p) {
  if (scambia(p.parziale, p.nome)) {
    p.posa = Posa::scambiata;
    // A folder come to the page's name since it was looked for goes back.
    return !cartellaal(p.parziale.c_str());
  }
  if (sposta(p.nome, p.conservata))
    p.posa = Posa::accantonata;
  else if (errno != ENOENT)
    return false;
  if (!sposta(p.parziale, p.nome))
    return false;
  p.posa = p.posa == Posa::accantonata ? Posa::spostata : Posa::nuova;
  return true;
}

// Puts the earlier page back where posa left it; the new page, if not
// replaced, is back at its partial name or gone.
bool ripristina(Pagina &p) {
  bool riuscito = true;
  switch (p.posa) {
  case Posa::nessuna:
    break;
  case Posa::scambiata:
    riuscito = scambia(p.parziale, p.nome);
    break;
  case Posa::accantonata:
  case Posa::spostata:
    riuscito = sposta(p.conservata, p.nome);
    break;
  case Posa::nuova:
    riuscito = elimina(p.nome.c_str());
    break;
  }
  if (riuscito)
    p.posa = Posa::nessuna;
  return riuscito;
}

// The page is in place for good: the earlier page kept by posa goes.
void congeda(Pagina &p) {
  if (p.posa == Posa::scambiata)
    elimina(p.parziale.c_str());
  else if (p.posa == Posa::spostata)
    elimina(p.conservata.c_str());
  p.posa = Posa::nessuna;
  lasciaparziale(p);
}

// Tells of an earlier page that could not be put back, and leaves the file
// that keeps it, if any, where it is.
void irrecuperabile(Pagina &p) {
  std::string testo = "Errore nel ripristino del file " + p.nome + "\n";
  if (p.posa == Posa::scambiata) {
    testo += "La pagina precedente resta in " + p.parziale + "\n";
    lasciaparziale(p);
  } else if (p.posa != Posa::nuova) {
    testo += "La pagina precedente resta in " + p.conservata + "\n";
  }
  console(testo);
}

} // namespace

bool mettiinposto(std::initializer_list<Pagina *> pagine) {
  const std::vector<Pagina *> lista(pagine);
  for (Pagina *p : lista) {
    p->posa = Posa::nessuna;
    p->conservata = nomeproprio(p->nome);
  }
  prendiserratura();
  Pagina *guasta = nullptr;
  // A folder planted at a page's name since it was opened is found before
  // any page moves, so that none does.
  for (Pagina *p : lista)
    if (guasta == nullptr && cartellaal(p->nome.c_str()))
      guasta = p;
  // From here to the lock's release nothing allocates: running out of
  // memory removes the partial files, which may hold an earlier page.
  trattienisegnali();
  std::size_t posate = 0;
  for (; guasta == nullptr && posate < lista.size(); ++posate) {
    Pagina &p = *lista[posate];
    if (!(posate + 1 < lista.size() ? posa(p) : sposta(p.parziale, p.nome)))
      guasta = &p;
  }
  if (guasta == nullptr)
    for (Pagina *p : lista)
      congeda(*p);
  for (std::size_t k = posate; guasta != nullptr && k-- > 0;)
    ripristina(*lista[k]);
  lasciaserratura();
  rilasciasegnali();
  if (guasta == nullptr)
    return true;
  console("Errore nella scrittura del file " + guasta->nome + "\n");
  for (Pagina *p : lista) {
    if (p->posa != Posa::nessuna)
      irrecuperabile(*p);
    scarta(*p);
  }
  return false;
}

void scarta(Pagina &p) {
  if (aperta(p))
    chiudi(p);
  if (p.parziale.empty())
    return;
  elimina(p.parziale.c_str());
  lasciaparziale(p);
}

Pagina::~Pagina() {
  scarta(*this);
}
