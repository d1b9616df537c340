#include "report/scrittore.h"

#include <memory>
#include <string>
#include <utility>
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
