#include "esecuzione.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

namespace fs = std::filesystem;

std::string senzatempo(std::string pagina) {
  const std::string inizio = "Tempo della CPU impiegato: ";
  const auto a = pagina.find(inizio);
  if (a == std::string::npos)
    return pagina;
  const auto b = pagina.find(" secondi", a);
  return pagina.replace(a + inizio.size(), b - a - inizio.size(), "#");
}

namespace {

long memoriapicco = 0; // KiB, of the last run where the platform tells it

#if defined(_WIN32)

// The longest a run may take, and how long the programs it started (the
// command processor and the page viewer behind "start out.html") may outlive it.
constexpr DWORD DURATAMASSIMA = 10 * 60 * 1000;
constexpr DWORD CODAMASSIMA = 60 * 1000;

std::string nuovacartella() {
  const fs::path base = fs::temp_directory_path();
  for (unsigned k = 0;; ++k) {
    const fs::path p = base / ("sudoku-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount64()) + "-" + std::to_string(k));
    if (fs::create_directory(p))
      return p.string();
  }
}

// Text in the ANSI code page, as the C runtime hands it to the program.
std::wstring largo(const std::string &s) {
  if (s.empty())
    return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// One argument of a command line, quoted so that the C runtime splits it back unchanged.
std::wstring citato(const std::wstring &a) {
  if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return a;
  std::wstring q = L"\"";
  std::size_t barre = 0;
  for (const wchar_t ch : a) {
    if (ch == L'\\') {
      ++barre;
      continue;
    }
    q.append(ch == L'"' ? 2 * barre + 1 : barre, L'\\');
    barre = 0;
    q += ch;
  }
  q.append(2 * barre, L'\\');
  q += L'"';
  return q;
}

HANDLE aprieredita(const std::wstring &nome, DWORD accesso, DWORD creazione) {
  SECURITY_ATTRIBUTES eredita{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE h =
      CreateFileW(nome.c_str(), accesso, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  &eredita, creazione, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("CreateFileW failed");
  return h;
}

DWORD processiattivi(HANDLE lavoro) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  if (!QueryInformationJobObject(lavoro, JobObjectBasicAccountingInformation, &info, sizeof info,
                                 nullptr))
    return 0;
  return info.ActiveProcesses;
}

// Runs the program in cartella with standard input on NUL, in a job that
// also holds whatever it starts, and waits until every process of the job
// has ended. Returns the exit status.
int avvia(const std::string &cartella, const std::vector<std::string> &argomenti,
          const std::string &fileerr, const std::string &fileout) {
  std::wstring riga = citato(largo(SUDOKU_BIN));
  for (const auto &a : argomenti)
    riga += L" " + citato(largo(a));

  const HANDLE lavoro = CreateJobObjectW(nullptr, nullptr);
  if (lavoro == nullptr)
    throw std::runtime_error("CreateJobObjectW failed");
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limiti{};
  limiti.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(lavoro, JobObjectExtendedLimitInformation, &limiti, sizeof limiti);

  STARTUPINFOW avvio{};
  avvio.cb = sizeof avvio;
  avvio.dwFlags = STARTF_USESTDHANDLES;
  avvio.hStdInput = aprieredita(L"NUL", GENERIC_READ, OPEN_EXISTING);
  avvio.hStdOutput = aprieredita(fs::path(fileout).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
  avvio.hStdError = aprieredita(fs::path(fileerr).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION processo{};
  const BOOL creato =
      CreateProcessW(nullptr, riga.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                     fs::path(cartella).wstring().c_str(), &avvio, &processo);
  CloseHandle(avvio.hStdInput);
  CloseHandle(avvio.hStdOutput);
  CloseHandle(avvio.hStdError);
  if (!creato) {
    CloseHandle(lavoro);
    throw std::runtime_error("CreateProcessW failed for " SUDOKU_BIN);
  }
  AssignProcessToJobObject(lavoro, processo.hProcess);
  ResumeThread(processo.hThread);
  CloseHandle(processo.hThread);

  int stato = -1;
  if (WaitForSingleObject(processo.hProcess, DURATAMASSIMA) == WAIT_OBJECT_0) {
    DWORD codice = 0;
    GetExitCodeProcess(processo.hProcess, &codice);
    stato = static_cast<int>(codice);
    const ULONGLONG fine = GetTickCount64() + CODAMASSIMA;
    while (processiattivi(lavoro) > 0 && GetTickCount64() < fine)
      Sleep(10);
    if (processiattivi(lavoro) > 0)
      ADD_FAILURE() << "programs started by the run were still running " << CODAMASSIMA / 1000
                    << " s after it ended";
  } else {
    ADD_FAILURE() << "the run did not end within " << DURATAMASSIMA / 1000 << " s";
  }
  TerminateJobObject(lavoro, 1);
  CloseHandle(processo.hProcess);
  CloseHandle(lavoro);
  return stato;
}

#else

std::string nuovacartella() {
  const char *base = std::getenv("TMPDIR");
  std::string modello = std::string(base && *base ? base : "/tmp") + "/sudoku-e2e-XXXXXX";
  if (mkdtemp(modello.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  return modello;
}

// Runs the program in cartella with standard input closed and no desktop
// session; returns its exit status (-1 if it did not exit normally).
int avvia(const std::string &cartella, const std::vector<std::string> &argomenti,
          const std::string &fileerr, const std::string &fileout) {
  // No desktop session: the program must not try to open a viewer.
  std::vector<std::string> ambiente;
  for (char **e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0)
      ambiente.emplace_back(*e);
  std::vector<char *> envp;
  for (auto &e : ambiente)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  std::vector<std::string> args{SUDOKU_BIN};
  args.insert(args.end(), argomenti.begin(), argomenti.end());
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cartella.c_str()) != 0)
      _exit(127);
    close(0); // standard input closed: the final key read meets end of file
    const int e = open(fileerr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int o = open(fileout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (e < 0 || o < 0 || dup2(e, 2) < 0 || dup2(o, 1) < 0)
      _exit(127);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int stato = 0;
  rusage uso{};
  wait4(pid, &stato, 0, &uso);
  memoriapicco = uso.ru_maxrss;
  return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

#endif

} // namespace

Corsa esegui(const std::optional<std::string> &puzzle, const std::vector<std::string> &argomenti,
             const std::function<void(const std::string &)> &prepara) {
  const std::string cartella = nuovacartella();
  if (puzzle)
    scrivitutto(cartella + "/in.txt", *puzzle);
  if (prepara)
    prepara(cartella);

  const std::string fileerr = cartella + "/.stderr", fileout = cartella + "/.stdout";
  Corsa c;
  memoriapicco = 0;
  c.stato = avvia(cartella, argomenti, fileerr, fileout);
  c.memoriakb = memoriapicco;
  c.errori = leggitutto(fileerr);
  c.uscita = leggitutto(fileout);
  if (fs::is_regular_file(cartella + "/out.html"))
    c.out = leggitutto(cartella + "/out.html");
  if (fs::is_regular_file(cartella + "/out4F.html"))
    c.out4f = leggitutto(cartella + "/out4F.html");
  const char *aperte = std::getenv("SUDOKU_PAGINE_APERTE");
  if (aperte != nullptr && *aperte)
    c.aperte = leggitutto(cartella + "/" + aperte);
  for (const auto &voce : fs::directory_iterator(cartella)) {
    const std::string nome = voce.path().filename().string();
    if (nome != "in.txt" && nome != ".stderr" && nome != ".stdout" && nome != "out.html" &&
        nome != "out4F.html" && (aperte == nullptr || nome != aperte))
      c.altrifile.push_back(nome);
  }
  std::sort(c.altrifile.begin(), c.altrifile.end());
  std::error_code ec;
  fs::remove_all(cartella, ec);
  return c;
}
