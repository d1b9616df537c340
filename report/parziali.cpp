#include "report/parziali.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "report/scrittore.h"
#include "report/sistema.h"

namespace {

// The longest name a partial file may have.
constexpr std::size_t NOMEMASSIMO = 4096;

// The table of the partial files: a name is in use while its flag is set.
// Two pages and the name one earlier page may be kept under.
constexpr int POSTI = 3;
char nomiinscrittura[POSTI][NOMEMASSIMO];
volatile std::sig_atomic_t inscrittura[POSTI] = {};

// Sets the name in a free place of the table; false when there is none.
bool registra(const std::string &nome) {
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] == 0) {
      std::memcpy(nomiinscrittura[k], nome.c_str(), nome.size() + 1);
      inscrittura[k] = 1;
      return true;
    }
  return false;
}

// Frees the place of the table that holds the name, if any.
void dimentica(const std::string &nome) {
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] != 0 && std::strcmp(nomiinscrittura[k], nome.c_str()) == 0)
      inscrittura[k] = 0;
}

} // namespace

std::string nomeproprio(const std::string &nome) {
  static unsigned contatore = 0;
  return nome + ".parziale-" + std::to_string(processo()) + "-" + std::to_string(contatore++);
}

bool creaparziale(Pagina &p) {
  if (cartellaal(p.nome.c_str()))
    return false;
  preparasegnali();
  const Trattenuti trattenuti = trattienisegnali();
  bool creata = false;
  for (int tentativi = 0; tentativi < 100 && !creata; ++tentativi) {
    p.parziale = nomeproprio(p.nome);
    if (p.parziale.size() >= NOMEMASSIMO)
      break;
    creata = crea(p);
    if (!creata && errno != EEXIST)
      break;
  }
  if (creata && !registra(p.parziale)) {
    chiudi(p);
    elimina(p.parziale.c_str());
    creata = false;
  }
  if (!creata)
    p.parziale.clear();
  rilasciasegnali(trattenuti);
  return creata;
}

void lasciaparziale(Pagina &p) {
  dimentica(p.parziale);
  p.parziale.clear();
}

std::string tieniparziale(Pagina &p) {
  dimentica(p.parziale);
  return std::exchange(p.parziale, std::string());
}

void scartaparziali() {
  chiuditutto();
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] != 0)
      elimina(nomiinscrittura[k]);
}
