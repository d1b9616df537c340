// The system under the page writer, on POSIX systems (sistema.h); what
// differs between them is behind sistema_unix.h.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include "report/parziali.h"
#include "report/scrittore.h"
#include "report/sistema.h"
#include "report/sistema_unix.h"

namespace {

// The file descriptor of the page's partial file.
int descrittore(const Pagina &p) {
  return static_cast<int>(p.file);
}

// The signals of every POSIX system whose default action ends the process,
// but SIGKILL (it cannot be caught), SIGPIPE (the program ignores it) and
// SIGXFSZ (ignored here, so that a write past a file size limit fails
// instead); the system's own and the real-time signals are added as the
// system numbers them.
constexpr int SEGNALI[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV, SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS,
};

// Calls azione on each signal of SEGNALI, then on each of the system's own
// (segnalipropri), then on each real-time signal.
template <typename Azione> void perognisegnale(Azione azione) {
  for (const int segnale : SEGNALI)
    azione(segnale);
  for (const int segnale : segnalipropri())
    azione(segnale);
  for (int segnale = SIGRTMIN; segnale <= SIGRTMAX; ++segnale)
    azione(segnale);
}

// The partial files go, then the signal's default action.
extern "C" void interrotto(int segnale) {
  scartaparziali();
  std::signal(segnale, SIG_DFL);
  std::raise(segnale); // delivered once the handler returns
}

sigset_t segnaliinterruzione() {
  sigset_t s;
  sigemptyset(&s);
  perognisegnale([&](int segnale) { sigaddset(&s, segnale); });
  return s;
}

// Tries an exclusive lock on the open file without waiting.
Presa blocca(int fd) {
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
      return Presa::presa;
    if (errno == EWOULDBLOCK)
      return Presa::occupata;
    if (errno != EINTR)
      return Presa::negata;
  }
}

// The file locked beside the folder where someone may be unable to open the
// folder itself.
constexpr const char *SERRATURA = "out.html.serratura";

// Whether the permission bits let some class of users write in the folder
// (and search it) but not read it, and so not open it to lock it.
bool ciechi(mode_t modo) {
  for (const int classe : {6, 3, 0}) {
    const unsigned bit = (modo >> classe) & 7u;
    if ((bit & 3u) == 3u && (bit & 4u) == 0)
      return true;
  }
  return false;
}

// Opens the lock file, or creates it readable by everyone whatever the
// umask. Never follows a link, never waits to open (a FIFO), and takes
// nothing but a plain file. -1 when it cannot be opened (errno ENOENT:
// removed meanwhile, try again).
int aprifile() {
  const int modo = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int fd = ::open(SERRATURA, modo);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(SERRATURA, modo | O_CREAT | O_EXCL, 0444);
    if (fd < 0 && errno == EEXIST)
      errno = ENOENT;
    if (fd >= 0)
      ::fchmod(fd, 0444);
  }
  struct stat s {};
  if (fd >= 0 && (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode))) {
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  return fd;
}

// Locks the lock file, opened in file unless file is -1; one removed or
// replaced by the run that held it while this one waited is opened afresh.
Presa bloccafile(int &file) {
  for (int tentativi = 0; tentativi < 100; ++tentativi) {
    if (file < 0 && (file = aprifile()) < 0)
      return errno == ENOENT ? Presa::occupata : Presa::negata;
    const Presa p = blocca(file);
    if (p != Presa::presa)
      return p;
    struct stat aperto {};
    struct stat nome {};
    if (::fstat(file, &aperto) == 0 && ::lstat(SERRATURA, &nome) == 0 &&
        aperto.st_dev == nome.st_dev && aperto.st_ino == nome.st_ino)
      return Presa::presa;
    ::close(file);
    file = -1;
  }
  return Presa::occupata;
}

} // namespace

bool crea(Pagina &p) {
  // Exclusively: a name left by another run, or a link planted under it,
  // is never opened.
  p.file = ::open(p.parziale.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    const ssize_t scritti = ::writev(descrittore(p), &v[k], quanti);
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
  const bool riuscita = ::close(descrittore(p)) == 0;
  p.file = -1;
  return riuscita;
}

void chiuditutto() {}

int processo() {
  return static_cast<int>(::getpid());
}

bool cartellaal(const char *nome) {
  struct stat s {};
  return ::lstat(nome, &s) == 0 && S_ISDIR(s.st_mode);
}

bool sposta(const std::string &da, const std::string &a) {
  return ::rename(da.c_str(), a.c_str()) == 0;
}

bool elimina(const char *nome) {
  return ::unlink(nome) == 0;
}

// Installs the handler once, on the signals that have their default action
// (one being ignored stays ignored; one with a handler of a sanitizer keeps
// it); a file size limit then fails a write (EFBIG) instead of ending the
// process.
void preparasegnali() {
  static bool pronti = false;
  if (pronti)
    return;
  pronti = true;
  struct sigaction azione {};
  azione.sa_handler = interrotto;
  azione.sa_mask = segnaliinterruzione();
  perognisegnale([&](int segnale) {
    struct sigaction prima {};
    if (sigaction(segnale, nullptr, &prima) == 0 && prima.sa_handler == SIG_DFL &&
        (prima.sa_flags & SA_SIGINFO) == 0)
      sigaction(segnale, &azione, nullptr);
  });
  struct sigaction prima {};
  if (sigaction(SIGXFSZ, nullptr, &prima) == 0 && prima.sa_handler == SIG_DFL)
    std::signal(SIGXFSZ, SIG_IGN);
}

// The mask is copied in and out of the caller's bytes, which need not be
// aligned for it.
Trattenuti trattienisegnali() {
  const sigset_t segnali = segnaliinterruzione();
  sigset_t prima;
  sigprocmask(SIG_BLOCK, &segnali, &prima);
  Trattenuti t{};
  static_assert(sizeof prima <= sizeof t.maschera);
  std::memcpy(t.maschera, &prima, sizeof prima);
  return t;
}

void rilasciasegnali(const Trattenuti &t) {
  sigset_t prima;
  std::memcpy(&prima, t.maschera, sizeof prima);
  sigprocmask(SIG_SETMASK, &prima, nullptr);
}

// Every run that can read the folder locks the folder itself (cartella),
// so that no file is left for it. Where the folder may let some write it
// without reading it (its bits say so, or an access list may), every run
// also locks the lock file (file), the only lock of those who cannot read;
// it is removed by every run that held it before it lets it go. So runs of
// every user exclude each other.
Presa provaserratura(Serratura &s) {
  if (!s.avviata) {
    s.avviata = true;
    const int cartella = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat modo {};
    s.cartella = cartella;
    s.serveilfile =
        cartella < 0 || ::fstat(cartella, &modo) != 0 || ciechi(modo.st_mode) || conlista(cartella);
  }
  if (s.cartella >= 0 && !s.cartellapresa) {
    const Presa p = blocca(static_cast<int>(s.cartella));
    if (p == Presa::occupata)
      return p;
    // A folder that cannot be locked (its file system has no locks) leaves
    // the lock file, which the others take too.
    s.cartellapresa = p == Presa::presa;
    s.serveilfile = s.serveilfile || !s.cartellapresa;
  }
  if (s.serveilfile && !s.filepreso) {
    int file = static_cast<int>(s.file);
    const Presa p = bloccafile(file);
    s.file = file;
    if (p != Presa::presa)
      return p;
    s.filepreso = true;
  }
  return Presa::presa;
}

void lasciaserratura(Serratura &s) {
  if (s.filepreso)
    ::unlink(SERRATURA);
  for (const std::intptr_t fd : {s.file, s.cartella})
    if (fd >= 0)
      ::close(static_cast<int>(fd));
  s.avviata = s.cartellapresa = s.serveilfile = s.filepreso = false;
  s.cartella = s.file = -1;
}

void pausa(int millisecondi) {
  const timespec t{millisecondi / 1000, (millisecondi % 1000) * 1000000L};
  ::nanosleep(&t, nullptr);
}
