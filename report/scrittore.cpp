#include "report/scrittore.h"

#include <algorithm>
#include <cerrno>

#include "app/stato.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)

bool apri(Pagina &p) {
  p.file = std::fopen(p.nome.c_str(), "w");
  return p.file != nullptr;
}

bool scrivipezzi(Pagina &p) {
  for (const Pagina::Pezzo &z : p.pezzi) {
    const char *dati = z.dati != nullptr ? z.dati : p.buffer.data() + z.inizio;
    if (std::fwrite(dati, 1, z.lunghezza, p.file) != z.lunghezza)
      return false;
  }
  return true;
}

bool chiudi(Pagina &p) {
  bool riuscita = std::fflush(p.file) == 0 && std::ferror(p.file) == 0;
  if (std::fclose(p.file) != 0)
    riuscita = false;
  p.file = nullptr;
  return riuscita;
}

#else

bool apri(Pagina &p) {
  p.file = ::open(p.nome.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return p.file >= 0;
}

// The pieces in as few system calls as the system takes; a short write goes
// on from where it stopped. No piece is empty, so a call that writes
// nothing has failed.
bool scrivipezzi(Pagina &p) {
  std::vector<iovec> v(p.pezzi.size());
  for (std::size_t k = 0; k < v.size(); ++k) {
    const Pagina::Pezzo &z = p.pezzi[k];
    v[k].iov_base = const_cast<char *>(z.dati != nullptr ? z.dati : p.buffer.data() + z.inizio);
    v[k].iov_len = z.lunghezza;
  }
  // Invariant: v[k..) is what remains to be written.
  std::size_t k = 0;
  while (k < v.size()) {
    const int quanti = static_cast<int>(std::min<std::size_t>(v.size() - k, PEZZI));
    const ssize_t scritti = ::writev(p.file, &v[k], quanti);
    if (scritti < 0 && errno == EINTR)
      continue;
    if (scritti <= 0)
      return false;
    auto resto = static_cast<std::size_t>(scritti);
    while (k < v.size() && resto >= v[k].iov_len)
      resto -= v[k++].iov_len;
    if (k < v.size()) {
      v[k].iov_base = static_cast<char *>(v[k].iov_base) + resto;
      v[k].iov_len -= resto;
    }
  }
  return true;
}

bool chiudi(Pagina &p) {
  const bool riuscita = ::close(p.file) == 0;
  p.file = -1;
  return riuscita;
}

#endif

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
  if (p.guasta)
    console("Errore nella scrittura del file " + p.nome + "\n");
  return !p.guasta;
}
