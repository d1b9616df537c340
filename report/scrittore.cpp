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

#include "report/sistema.h"

namespace {

// The longest name a partial file may have.
constexpr std::size_t NOMEMASSIMO = 4096;

// The partial files, for removing them when the process must end at once
// (a signal, memory run out): a name is set, with the signals held back, as
// its file is created, and forgotten once the file is renamed or removed.
// The two pages are all a run writes at once.
constexpr int POSTI = 2;
char nomiinscrittura[POSTI][NOMEMASSIMO];
volatile std::sig_atomic_t inscrittura[POSTI] = {};

bool aperta(const Pagina &p) {
  return p.file != -1;
}

} // namespace

void scartaparziali() {
  chiuditutto();
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] != 0)
      elimina(nomiinscrittura[k]);
}

namespace {

bool iniziascrittura(Pagina &p) {
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] == 0) {
      std::memcpy(nomiinscrittura[k], p.parziale.c_str(), p.parziale.size() + 1);
      inscrittura[k] = 1;
      p.posto = k;
      return true;
    }
  return false;
}

void finescrittura(Pagina &p) {
  if (p.posto >= 0)
    inscrittura[p.posto] = 0;
  p.posto = -1;
}

// A name beside the page's own that no other run uses: the page's name,
// this process and a count.
std::string nomeproprio(const Pagina &p) {
  static unsigned contatore = 0;
  return p.nome + ".parziale-" + std::to_string(processo()) + "-" + std::to_string(contatore++);
}

// Creates the partial file under a name no other run is using, tried afresh
// while taken. A folder at the page's name could never be replaced: the
// page cannot be created.
bool apri(Pagina &p) {
  if (cartellaal(p.nome.c_str()))
    return false;
  preparasegnali();
  trattienisegnali();
  bool creata = false;
  for (int tentativi = 0; tentativi < 100 && !creata; ++tentativi) {
    p.parziale = nomeproprio(p);
    if (p.parziale.size() >= NOMEMASSIMO)
      break;
    creata = crea(p);
    if (!creata && errno != EEXIST)
      break;
  }
  if (creata && !iniziascrittura(p)) {
    chiudi(p);
    elimina(p.parziale.c_str());
    creata = false;
  }
  if (!creata)
    p.parziale.clear();
  rilasciasegnali();
  return creata;
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
  if (!apri(p)) {
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
  finescrittura(p);
  p.parziale.clear();
}

// Tells of an earlier page that could not be put back, and leaves the file
// that keeps it, if any, where it is.
void irrecuperabile(Pagina &p) {
  std::string testo = "Errore nel ripristino del file " + p.nome + "\n";
  if (p.posa == Posa::scambiata) {
    testo += "La pagina precedente resta in " + p.parziale + "\n";
    finescrittura(p);
    p.parziale.clear();
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
    p->conservata = nomeproprio(*p);
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
  finescrittura(p);
  p.parziale.clear();
}

Pagina::~Pagina() {
  scarta(*this);
}
