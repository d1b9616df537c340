// The system under the page writer, on Windows (sistema.h).
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

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

#include "report/scrittore.h"
#include "report/sistema.h"

namespace {

// The stream of the page's partial file.
std::FILE *flusso(const Pagina &p) {
  return reinterpret_cast<std::FILE *>(p.file);
}

// The name of the mutex of the current folder, the same in every build.
void nomemutex(char (&nome)[64]) {
  std::error_code ec;
  const std::wstring cartella = std::filesystem::current_path(ec).native();
  // FNV-1a of the folder's name, letters folded.
  std::uint64_t h = 14695981039346656037ull;
  for (wchar_t c : cartella) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
    h = (h ^ static_cast<std::uint64_t>(c == L'/' ? L'\\' : c)) * 1099511628211ull;
  }
  std::snprintf(nome, sizeof nome, "Local\\sudoku-pagine-%016llx",
                static_cast<unsigned long long>(h));
}

} // namespace

bool crea(Pagina &p) {
  const int fd =
      _open(p.parziale.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (fd < 0)
    return false;
  std::FILE *const f = _fdopen(fd, "w");
  if (f != nullptr) {
    p.file = reinterpret_cast<std::intptr_t>(f);
    return true;
  }
  p.file = -1;
  _close(fd);
  std::remove(p.parziale.c_str());
  errno = EACCES; // not worth another name
  return false;
}

bool scrivipezzi(Pagina &p) {
  for (const Pagina::Pezzo &z : p.pezzi) {
    const char *dati = z.dati != nullptr ? z.dati : p.buffer.data() + z.inizio;
    if (std::fwrite(dati, 1, z.lunghezza, flusso(p)) != z.lunghezza)
      return false;
  }
  return true;
}

bool chiudi(Pagina &p) {
  std::FILE *const f = flusso(p);
  bool riuscita = std::fflush(f) == 0 && std::ferror(f) == 0;
  if (std::fclose(f) != 0)
    riuscita = false;
  p.file = -1;
  return riuscita;
}

// An open file cannot be removed there: every stream is closed first.
void chiuditutto() {
  _fcloseall();
}

int processo() {
  return _getpid();
}

bool cartellaal(const char *nome) {
  const DWORD attributi = GetFileAttributesA(nome);
  return attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool sposta(const std::string &da, const std::string &a) {
  if (MoveFileExA(da.c_str(), a.c_str(), MOVEFILE_REPLACE_EXISTING) != 0)
    return true;
  const DWORD e = GetLastError();
  errno = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
  return false;
}

bool scambia(const std::string &, const std::string &) {
  return false;
}

bool elimina(const char *nome) {
  return std::remove(nome) == 0;
}

// Signals ending the process find no partial file to remove here.
void preparasegnali() {}
Trattenuti trattienisegnali() {
  return {};
}
void rilasciasegnali(const Trattenuti &) {}

// The lock is a mutex named after the folder (cartella), seen by the runs
// of the same session: Windows has no lock on a folder that leaves no file
// behind. It needs no lock file.
Presa provaserratura(Serratura &s) {
  if (!s.avviata) {
    char nome[64];
    nomemutex(nome);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, nome);
    if (mutex == nullptr)
      return Presa::negata;
    s.avviata = true;
    s.cartella = reinterpret_cast<std::intptr_t>(mutex);
  }
  // An owner that ended without releasing it leaves it abandoned, and owned
  // by the waiter.
  switch (WaitForSingleObject(reinterpret_cast<HANDLE>(s.cartella), 0)) {
  case WAIT_OBJECT_0:
  case WAIT_ABANDONED:
    s.cartellapresa = true;
    return Presa::presa;
  case WAIT_TIMEOUT:
    return Presa::occupata;
  default:
    return Presa::negata;
  }
}

void lasciaserratura(Serratura &s) {
  if (!s.avviata)
    return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(s.cartella);
  if (s.cartellapresa)
    ReleaseMutex(mutex);
  CloseHandle(mutex);
  s.avviata = s.cartellapresa = false;
  s.cartella = -1;
}

void pausa(int millisecondi) {
  Sleep(static_cast<DWORD>(millisecondi));
}
