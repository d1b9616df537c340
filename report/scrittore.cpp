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
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

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

bool aperta(const Pagina &p) {
  return p.file != nullptr;
}

bool cartellaal(const char *nome) {
  const DWORD attributi = GetFileAttributesA(nome);
  return attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
  ~Serratura() { rilascia(); }
  void rilascia() {
    if (mutex == nullptr)
      return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    mutex = nullptr;
  }
  Serratura(const Serratura &) = delete;
  Serratura &operator=(const Serratura &) = delete;

private:
  HANDLE mutex = nullptr;
};

// Signals ending the process find no partial file to remove here.
void trattienisegnali() {}
void rilasciasegnali() {}

// Renames da to a, replacing a file there; errno is ENOENT when there is no da.
bool sposta(const std::string &da, const std::string &a) {
  if (MoveFileExA(da.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING) != 0)
    return true;
  const DWORD e = GetLastError();
  errno = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
  return false;
}

bool elimina(const char *nome) {
  return std::remove(nome) == 0;
}

// An open file cannot be removed there: every stream is closed first.
void chiuditutto() {
  _fcloseall();
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

void togliparziali();

// The partial files go, then the signal's default action.
extern "C" void interrotto(int segnale) {
  togliparziali();
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

bool aperta(const Pagina &p) {
  return p.file >= 0;
}

bool cartellaal(const char *nome) {
  struct stat s {};
  return ::lstat(nome, &s) == 0 && S_ISDIR(s.st_mode);
}

// Waits for an exclusive lock on the open file; false if it cannot be had.
bool attendi(int fd) {
  while (::flock(fd, LOCK_EX) != 0)
    if (errno != EINTR)
      return false;
  return true;
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
// umask, and locks it; one removed or replaced meanwhile by the run that
// held it is opened afresh. Never follows a link, never waits to open (a
// FIFO). -1 when it cannot be had.
int bloccafile() {
  const int modo = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  for (;;) {
    int fd = ::open(SERRATURA, modo);
    if (fd < 0 && errno == ENOENT) {
      fd = ::open(SERRATURA, modo | O_CREAT | O_EXCL, 0444);
      if (fd < 0 && errno == EEXIST)
        continue;
      if (fd >= 0)
        ::fchmod(fd, 0444);
    }
    if (fd < 0)
      return -1;
    if (!attendi(fd)) {
      ::close(fd);
      return -1;
    }
    struct stat aperto {};
    struct stat nome {};
    if (::fstat(fd, &aperto) == 0 && ::lstat(SERRATURA, &nome) == 0 &&
        aperto.st_dev == nome.st_dev && aperto.st_ino == nome.st_ino)
      return fd;
    ::close(fd);
  }
}

// Held while pages go in place: a lock on the folder itself, so that no
// file is left for it. Where some who may write the folder cannot read it,
// the lock file too (the only lock of those who cannot), removed by every
// run that held it before it lets it go.
class Serratura {
public:
  Serratura() : cartella(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    struct stat s {};
    if (cartella >= 0 && !attendi(cartella)) {
      ::close(cartella);
      cartella = -1;
    }
    if (cartella < 0 || (::fstat(cartella, &s) == 0 && ciechi(s.st_mode)))
      file = bloccafile();
  }
  ~Serratura() { rilascia(); }
  Serratura(const Serratura &) = delete;
  Serratura &operator=(const Serratura &) = delete;

  void rilascia() {
    if (file >= 0) {
      ::unlink(SERRATURA);
      ::close(file);
      file = -1;
    }
    if (cartella >= 0)
      ::close(cartella);
    cartella = -1;
  }

private:
  int cartella, file = -1;
};

// Renames da to a, replacing a file there.
bool sposta(const std::string &da, const std::string &a) {
  return ::rename(da.c_str(), a.c_str()) == 0;
}

bool elimina(const char *nome) {
  return ::unlink(nome) == 0;
}

void chiuditutto() {}

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

void togliparziali() {
  chiuditutto();
  for (int k = 0; k < POSTI; ++k)
    if (inscrittura[k] != 0)
      elimina(nomiinscrittura[k]);
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
#if !defined(_WIN32)
  preparasegnali();
#endif
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

// Exchanges the files at a and b, where the system can (Linux).
bool scambia(const std::string &a, const std::string &b) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#else
  (void)a;
  (void)b;
  return false;
#endif
}

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
  Serratura serratura;
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
  serratura.rilascia();
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

void scartaparziali() {
  togliparziali();
}

Pagina::~Pagina() {
  scarta(*this);
}
