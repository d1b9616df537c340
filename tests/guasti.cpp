// Faults planted in a run of the program linked with the shared runtimes,
// loaded into it by the dynamic linker (LD_PRELOAD, glibc), as its
// environment says:
//   SUDOKU_GUASTO_MEMORIA=K    the K-th request for memory (malloc, calloc,
//                              realloc; operator new asks malloc) and every
//                              later one fail, as when memory has run out
//   SUDOKU_GUASTO_UNICO=1      only the K-th fails
//   SUDOKU_CONTEGGIO=FILE      at a normal exit the number of requests is
//                              written into FILE
//   SUDOKU_SENZA_SCAMBIO=1     exchanging two files fails as on a file
//                              system that cannot (EINVAL), uncounted
//   SUDOKU_GUASTO_RINOMINE=A,B the A-th, B-th, ... renames (rename and
//                              renameat2 counted together, from 1) fail
//   SUDOKU_SEGNALE_RINOMINA=N  SIGTERM is raised after the N-th rename: it
//                              arrives once the run lets signals in
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" {
void *__libc_malloc(std::size_t n);
void *__libc_calloc(std::size_t k, std::size_t n);
void *__libc_realloc(void *p, std::size_t n);
}

namespace {

long richieste = 0; // requests for memory so far

// The environment's number, 0 when unset; read without asking for memory.
long numero(const char *nome) {
  const char *v = std::getenv(nome);
  return v != nullptr ? std::atol(v) : 0;
}

bool esaurita() {
  static const long primo = numero("SUDOKU_GUASTO_MEMORIA");
  static const bool unico = numero("SUDOKU_GUASTO_UNICO") != 0;
  ++richieste;
  if (primo > 0 && (unico ? richieste == primo : richieste >= primo)) {
    errno = ENOMEM;
    return true;
  }
  return false;
}

// Whether the rename just counted is one to fail; raises the signal after
// the one named.
bool rinominaguasta() {
  static long rinomine = 0;
  ++rinomine;
  if (rinomine == numero("SUDOKU_SEGNALE_RINOMINA"))
    std::raise(SIGTERM);
  const char *v = std::getenv("SUDOKU_GUASTO_RINOMINE");
  for (char *fine = nullptr; v != nullptr && *v != '\0'; v = *fine != '\0' ? fine + 1 : fine)
    if (std::strtol(v, &fine, 10) == rinomine) {
      errno = EACCES;
      return true;
    }
  return false;
}

int rinomina(const char *da, const char *a, unsigned modo) {
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, da, AT_FDCWD, a, modo));
}

struct Conteggio {
  ~Conteggio() {
    if (const char *file = std::getenv("SUDOKU_CONTEGGIO"))
      if (std::FILE *f = std::fopen(file, "w")) {
        std::fprintf(f, "%ld\n", richieste);
        std::fclose(f);
      }
  }
} conteggio;

} // namespace

extern "C" {

void *malloc(std::size_t n) {
  return esaurita() ? nullptr : __libc_malloc(n);
}

void *calloc(std::size_t k, std::size_t n) {
  return esaurita() ? nullptr : __libc_calloc(k, n);
}

void *realloc(void *p, std::size_t n) {
  return esaurita() ? nullptr : __libc_realloc(p, n);
}

int rename(const char *da, const char *a) {
  return rinominaguasta() ? -1 : rinomina(da, a, 0);
}

int renameat2(int, const char *da, int, const char *a, unsigned modo) {
  if ((modo & RENAME_EXCHANGE) != 0 && numero("SUDOKU_SENZA_SCAMBIO") != 0) {
    errno = EINVAL;
    return -1;
  }
  return rinominaguasta() ? -1 : rinomina(da, a, modo);
}
}
