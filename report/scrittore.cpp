#include "report/scrittore.h"

#include "app/stato.h"

bool apripagina(Pagina &p, const std::string &nome) {
  p.nome = nome;
  p.guasta = false;
  p.buffer.clear();
  p.buffer.reserve(BLOCCO + BLOCCO / 4);
  p.file = std::fopen(nome.c_str(), "w");
  if (p.file == nullptr) {
    console("Errore nell'apertura del file " + nome + "\n");
    return false;
  }
  return true;
}

void svuota(Pagina &p) {
  if (!p.buffer.empty() && !p.guasta &&
      std::fwrite(p.buffer.data(), 1, p.buffer.size(), p.file) != p.buffer.size())
    p.guasta = true;
  p.buffer.clear();
}

bool chiudipagina(Pagina &p) {
  svuota(p);
  if (std::fflush(p.file) != 0 || std::ferror(p.file) != 0)
    p.guasta = true;
  if (std::fclose(p.file) != 0)
    p.guasta = true;
  p.file = nullptr;
  if (p.guasta)
    console("Errore nella scrittura del file " + p.nome + "\n");
  return !p.guasta;
}
