#include "report/scrittore.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "app/stato.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace {

// The longest name a partial file may have.
constexpr std::size_t NOMEMASSIMO = 4096;

#if defined(_WIN32)

// Creates the partial file exclusively, in text mode.
bool crea(Pagina &p) {
  const int fd =
      _open(p.parziale.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (fd < 0)
    return false;
  p.file = _fdopen(fd, "w");
  if (p.file != nullptr)
    return true;
  _close(fd);
  std::remove(p.parziale.c_str());
  errno = EACCES; // not worth another name
  return false;
}

int processo() {
  return _getpid();
}

void iniziascrittura(const Pagina &) {}
void finescrittura() {}

bool rinomina(const Pagina &p) {
  return MoveFileExA(p.parziale.c_str(), p.nome.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void togli(const Pagina &p) {
  std::remove(p.parziale.c_str());
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

// The partial file being written, for the signal handler: its name is
// set, with the signals held back, before the file exists, and the file is
// forgotten once renamed or removed.
char nomeinscrittura[NOMEMASSIMO];
volatile std::sig_atomic_t inscrittura = 0;

// SIGINT and SIGTERM: the partial file goes, then the signal's default action.
extern "C" void interrotto(int segnale) {
  if (inscrittura != 0)
    ::unlink(nomeinscrittura);
  std::signal(segnale, SIG_DFL);
  std::raise(segnale); // delivered once the handler returns
}

sigset_t segnaliinterruzione() {
  sigset_t s;
  sigemptyset(&s);
  sigaddset(&s, SIGINT);
  sigaddset(&s, SIGTERM);
  return s;
}

// Installs the handler once, except for a signal that is being ignored;
// a file size limit then fails a write (EFBIG) instead of ending the process.
void preparasegnali() {
  static bool pronti = false;
  if (pronti)
    return;
  pronti = true;
  for (const int segnale : {SIGINT, SIGTERM}) {
    struct sigaction prima {};
    if (sigaction(segnale, nullptr, &prima) != 0 || prima.sa_handler == SIG_IGN)
      continue;
    struct sigaction azione {};
    azione.sa_handler = interrotto;
    azione.sa_mask = segnaliinterruzione();
    sigaction(segnale, &azione, nullptr);
  }
  struct sigaction prima {};
  if (sigaction(SIGXFSZ, nullptr, &prima) == 0 && prima.sa_handler == SIG_DFL)
    std::signal(SIGXFSZ, SIG_IGN);
}

// Creates the partial file exclusively: a name left by another run, or a
// link planted under it, is never opened.
bool crea(Pagina &p) {
  p.file = ::open(p.parziale.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  return p.file >= 0;
}

int processo() {
  return static_cast<int>(::getpid());
}

void iniziascrittura(const Pagina &p) {
  std::memcpy(nomeinscrittura, p.parziale.c_str(), p.parziale.size() + 1);
  inscrittura = 1;
}

void finescrittura() {
  inscrittura = 0;
}

bool rinomina(const Pagina &p) {
  return ::rename(p.parziale.c_str(), p.nome.c_str()) == 0;
}

void togli(const Pagina &p) {
  ::unlink(p.parziale.c_str());
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

// Creates the partial file under a name no other run is using: the page's
// name, this process and a count, tried afresh while taken. A folder at
// the page's name could never be replaced: the page cannot be created.
bool apri(Pagina &p) {
  std::error_code ec;
  if (std::filesystem::symlink_status(p.nome, ec).type() == std::filesystem::file_type::directory)
    return false;
  static unsigned contatore = 0;
#if !defined(_WIN32)
  preparasegnali();
  const sigset_t segnali = segnaliinterruzione();
  sigset_t prima;
  sigprocmask(SIG_BLOCK, &segnali, &prima);
#endif
  bool creata = false;
  for (int tentativi = 0; tentativi < 100 && !creata; ++tentativi) {
    p.parziale =
        p.nome + ".parziale-" + std::to_string(processo()) + "-" + std::to_string(contatore++);
    if (p.parziale.size() >= NOMEMASSIMO)
      break;
    creata = crea(p);
    if (!creata && errno != EEXIST)
      break;
  }
  if (creata)
    iniziascrittura(p);
#if !defined(_WIN32)
  sigprocmask(SIG_SETMASK, &prima, nullptr);
#endif
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
  if (!p.guasta && !rinomina(p))
    p.guasta = true;
  if (p.guasta)
    togli(p);
  finescrittura();
  if (p.guasta)
    console("Errore nella scrittura del file " + p.nome + "\n");
  return !p.guasta;
}
