#include "report/scrittore.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
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
#include <sys/file.h>
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

bool iniziascrittura(Pagina &) {
  return true;
}
void finescrittura(Pagina &) {}

bool aperta(const Pagina &p) {
  return p.file != nullptr;
}

// Held while pages go in place: a mutex named after the folder, seen by
// the runs of the same session (Windows has no lock on a folder that
// leaves no file behind).
class Serratura {
public:
  Serratura() {
    std::error_code ec;
    const std::wstring cartella = std::filesystem::current_path(ec).native();
    // FNV-1a of the folder's name, letters folded, as every build computes it.
    std::uint64_t h = 14695981039346656037ull;
    for (wchar_t c : cartella) {
      if (c >= L'A' && c <= L'Z')
        c = static_cast<wchar_t>(c - L'A' + L'a');
      h = (h ^ static_cast<std::uint64_t>(c == L'/' ? L'\\' : c)) * 1099511628211ull;
    }
    char nome[64];
    std::snprintf(nome, sizeof nome, "Local\\sudoku-pagine-%016llx",
                  static_cast<unsigned long long>(h));
    mutex = CreateMutexA(nullptr, FALSE, nome);
    // An owner that ended without releasing it leaves it abandoned, and owned by the waiter.
    if (mutex != nullptr && WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) {
      CloseHandle(mutex);
      mutex = nullptr;
    }
  }
  ~Serratura() {
    if (mutex == nullptr)
      return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
  Serratura(const Serratura &) = delete;
  Serratura &operator=(const Serratura &) = delete;

private:
  HANDLE mutex = nullptr;
};

// Signals ending the process find no partial file to remove here.
void trattienisegnali() {}
void rilasciasegnali() {}

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

// The partial files, for the signal handler: a name is set, with the
// signals held back, as its file is created, and forgotten once the file is
// renamed or removed. The two pages are all a run writes at once.
constexpr int POSTI = 2;
char nomiinscrittura[POSTI][NOMEMASSIMO];
volatile std::sig_atomic_t inscrittura[POSTI] = {};

// The signals whose default action ends the process, but SIGKILL (it
// cannot be caught), SIGPIPE (the program ignores it) and SIGXFSZ (ignored
// here, so that a write past a file size limit fails instead); the
// real-time signals are added as the system numbers them.
constexpr int SEGNALI[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV,   SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS,
#if defined(__linux__)
#if defined(SIGSTKFLT)
    SIGSTKFLT,
#endif
    SIGPOLL,   SIGPWR,
#endif
};

// The partial files go, then the signal's default action.
extern "C" void interrotto(int segnale) {
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] != 0)
      ::unlink(nomiinscrittura[k]);
  std::signal(segnale, SIG_DFL);
  std::raise(segnale); // delivered once the handler returns
}

sigset_t segnaliinterruzione() {
  sigset_t s;
  sigemptyset(&s);
  for (const int segnale : SEGNALI)
    sigaddset(&s, segnale);
  for (int segnale = SIGRTMIN; segnale <= SIGRTMAX; ++segnale)
    sigaddset(&s, segnale);
  return s;
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
  const auto prepara = [&](int segnale) {
    struct sigaction prima {};
    if (sigaction(segnale, nullptr, &prima) == 0 && prima.sa_handler == SIG_DFL &&
        (prima.sa_flags & SA_SIGINFO) == 0)
      sigaction(segnale, &azione, nullptr);
  };
  for (const int segnale : SEGNALI)
    prepara(segnale);
  for (int segnale = SIGRTMIN; segnale <= SIGRTMAX; ++segnale)
    prepara(segnale);
  struct sigaction prima {};
  if (sigaction(SIGXFSZ, nullptr, &prima) == 0 && prima.sa_handler == SIG_DFL)
    std::signal(SIGXFSZ, SIG_IGN);
}

sigset_t trattenuti;

void trattienisegnali() {
  const sigset_t segnali = segnaliinterruzione();
  sigprocmask(SIG_BLOCK, &segnali, &trattenuti);
}

void rilasciasegnali() {
  sigprocmask(SIG_SETMASK, &trattenuti, nullptr);
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

bool aperta(const Pagina &p) {
  return p.file >= 0;
}

// Held while pages go in place: a lock on the folder itself, so that no
// file is left for it. A folder that cannot be opened for reading goes
// without.
class Serratura {
public:
  Serratura() : cartella(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    while (cartella >= 0 && ::flock(cartella, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~Serratura() {
    if (cartella >= 0)
      ::close(cartella); // releases the lock
  }
  Serratura(const Serratura &) = delete;
  Serratura &operator=(const Serratura &) = delete;

private:
  int cartella;
};

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

// A folder at a page's name could never be replaced.
bool cartellaal(const std::string &nome) {
  std::error_code ec;
  return std::filesystem::symlink_status(nome, ec).type() == std::filesystem::file_type::directory;
}

// Creates the partial file under a name no other run is using: the page's
// name, this process and a count, tried afresh while taken. A folder at
// the page's name could never be replaced: the page cannot be created.
bool apri(Pagina &p) {
  if (cartellaal(p.nome))
    return false;
  static unsigned contatore = 0;
#if !defined(_WIN32)
  preparasegnali();
#endif
  trattienisegnali();
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
  if (creata && !iniziascrittura(p)) {
    chiudi(p);
    togli(p);
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

bool mettiinposto(std::initializer_list<Pagina *> pagine) {
  const Serratura serratura;
  const Pagina *guasta = nullptr;
  // A folder planted at a page's name since it was opened is found before
  // any page moves, so that none does. Past this, a rename failing after
  // an earlier one succeeded would leave the pages unmatched; in one folder
  // of one file system, with no folder in the way, it does not.
  for (const Pagina *p : pagine)
    if (guasta == nullptr && cartellaal(p->nome))
      guasta = p;
  trattienisegnali();
  for (Pagina *p : pagine) {
    if (guasta != nullptr)
      break;
    if (!rinomina(*p)) {
      guasta = p;
      break;
    }
    finescrittura(*p);
    p->parziale.clear();
  }
  rilasciasegnali();
  if (guasta == nullptr)
    return true;
  for (Pagina *p : pagine)
    scarta(*p);
  console("Errore nella scrittura del file " + guasta->nome + "\n");
  return false;
}

void scarta(Pagina &p) {
  if (aperta(p))
    chiudi(p);
  if (p.parziale.empty())
    return;
  togli(p);
  finescrittura(p);
  p.parziale.clear();
}

Pagina::~Pagina() {
  scarta(*this);
}
