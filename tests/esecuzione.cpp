#include "esecuzione.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "generatore.h"

#if defined(_WIN32)
#ifndef NOMINMAX // the C++ library may define it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
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

std::string acapo(std::string_view testo) {
#if defined(_WIN32)
  std::string s;
  s.reserve(testo.size() + testo.size() / 8);
  for (const char c : testo)
    (c == '\n' ? s += "\r\n" : s += c);
  return s;
#else
  return std::string(testo);
#endif
}

namespace {

#if defined(_WIN32)

// The longest a run may take, and how long the programs it started (the
// command processor and the page viewer behind "start out.html") may outlive it.
constexpr DWORD DURATAMASSIMA = 10 * 60 * 1000, CODAMASSIMA = 60 * 1000;

HANDLE aprieredita(const std::string &nome, DWORD accesso, DWORD creazione) {
  SECURITY_ATTRIBUTES eredita{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE h = CreateFileA(nome.c_str(), accesso, FILE_SHARE_READ | FILE_SHARE_WRITE, &eredita,
                               creazione, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("CreateFileA failed for " + nome);
  return h;
}

DWORD processiattivi(HANDLE lavoro) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
  QueryInformationJobObject(lavoro, JobObjectBasicAccountingInformation, &info, sizeof info,
                            nullptr);
  return info.ActiveProcesses;
}

// Runs the program in cartella with its standard error and output in the
// given files; returns its exit status. Standard input on NUL; the program runs in a job that also
// holds whatever it starts, and the run ends when every process of the job has. The arguments of
// the tests hold no quote and no space before a backslash.
int avvia(const std::string &cartella, const std::vector<std::string> &argomenti,
          const std::string &fileerr, const std::string &fileout, const Condizioni &, long &) {
  std::string riga = "\"" SUDOKU_BIN "\"";
  for (const auto &a : argomenti)
    riga += " \"" + a + "\"";
  const HANDLE lavoro = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limiti{};
  limiti.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(lavoro, JobObjectExtendedLimitInformation, &limiti, sizeof limiti);
  STARTUPINFOA avvio{};
  avvio.cb = sizeof avvio;
  avvio.dwFlags = STARTF_USESTDHANDLES;
  avvio.hStdInput = aprieredita("NUL", GENERIC_READ, OPEN_EXISTING);
  avvio.hStdOutput = aprieredita(fileout, GENERIC_WRITE, CREATE_ALWAYS);
  avvio.hStdError = aprieredita(fileerr, GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION processo{};
  const BOOL creato = CreateProcessA(nullptr, riga.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                     nullptr, cartella.c_str(), &avvio, &processo);
  for (const HANDLE h : {avvio.hStdInput, avvio.hStdOutput, avvio.hStdError})
    CloseHandle(h);
  if (!creato)
    throw std::runtime_error("CreateProcessA failed for " SUDOKU_BIN);
  AssignProcessToJobObject(lavoro, processo.hProcess);
  ResumeThread(processo.hThread);
  DWORD codice = static_cast<DWORD>(-1);
  if (WaitForSingleObject(processo.hProcess, DURATAMASSIMA) == WAIT_OBJECT_0) {
    GetExitCodeProcess(processo.hProcess, &codice);
    const ULONGLONG fine = GetTickCount64() + CODAMASSIMA;
    while (processiattivi(lavoro) > 0 && GetTickCount64() < fine)
      Sleep(10);
    EXPECT_EQ(processiattivi(lavoro), 0u) << "programs started by the run outlived it by a minute";
  } else {
    ADD_FAILURE() << "the run did not end within " << DURATAMASSIMA / 1000 << " s";
  }
  TerminateJobObject(lavoro, 1);
  for (const HANDLE h : {processo.hThread, processo.hProcess, lavoro})
    CloseHandle(h);
  return static_cast<int>(codice);
}

#else

// Seconds a run may take before it is killed: more than a run waits for
// the lock of its folder.
constexpr unsigned DURATAMASSIMA = 60;

// Runs the program in cartella with its standard error and output in the
// given files (or as condizioni say); returns its exit status (-1 if it did
// not exit normally) and its peak memory in KiB. Standard input closed, and
// no desktop session: the program must not try to open a viewer.
int avvia(const std::string &cartella, const std::vector<std::string> &argomenti,
          const std::string &fileerr, const std::string &fileout, const Condizioni &condizioni,
          long &memoria) {
  std::vector<std::string> args{condizioni.programma.empty() ? SUDOKU_BIN : condizioni.programma};
  args.insert(args.end(), argomenti.begin(), argomenti.end());
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(0);                      // the final key read meets end of file
    std::signal(SIGPIPE, SIG_DFL); // as a shell starts it, whatever the test ignores
    alarm(DURATAMASSIMA);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    for (const std::string &v : condizioni.ambiente)
      setenv(v.substr(0, v.find('=')).c_str(), v.substr(v.find('=') + 1).c_str(), 1);
    if (condizioni.memoriakb > 0) {
      const rlimit limite{static_cast<rlim_t>(condizioni.memoriakb) * 1024,
                          static_cast<rlim_t>(condizioni.memoriakb) * 1024};
      setrlimit(RLIMIT_AS, &limite);
    }
    const int e = condizioni.errori >= 0
                      ? condizioni.errori
                      : open(fileerr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int o = open(fileout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const auto u = static_cast<uid_t>(condizioni.utente);
    if (condizioni.utente >= 0 && (setgroups(0, nullptr) != 0 || setgid(u) != 0 || setuid(u) != 0))
      _exit(127);
    if (chdir(cartella.c_str()) == 0 && e >= 0 && o >= 0 && dup2(e, 2) >= 0 && dup2(o, 1) >= 0)
      execv(argv[0], argv.data());
    _exit(127);
  }
  int stato = 0;
  rusage uso{};
  wait4(pid, &stato, 0, &uso);
  memoria = uso.ru_maxrss;
  EXPECT_FALSE(WIFSIGNALED(stato) && WTERMSIG(stato) == SIGALRM)
      << "the run did not end within " << DURATAMASSIMA << " s";
  return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

#endif

} // namespace

Corsa esegui(const std::optional<std::string> &puzzle, const std::vector<std::string> &argomenti,
             const std::function<void(const std::string &)> &prepara,
             const Condizioni &condizioni) {
  fs::path cartella;
  for (unsigned k = 0; !fs::create_directory(
           cartella = fs::temp_directory_path() /
                      ("sudoku-e2e-" + std::to_string(rand()) + "-" + std::to_string(k)));)
    ++k;
  const std::string d = cartella.string();
  if (puzzle)
    generatore::scrivitutto(d + "/in.txt", *puzzle);
  if (prepara)
    prepara(d);
  Corsa c;
  c.stato = avvia(d, argomenti, d + "/.stderr", d + "/.stdout", condizioni, c.memoriakb);
  if (fs::exists(d + "/.stderr"))
    c.errori = generatore::leggitutto(d + "/.stderr");
  c.uscita = generatore::leggitutto(d + "/.stdout");
  const auto pagina = [&](const char *nome) {
    return fs::is_regular_file(cartella / nome)
               ? std::optional(generatore::leggitutto((cartella / nome).string()))
               : std::nullopt;
  };
  c.out = pagina("out.html");
  c.out4f = pagina("out4F.html");
  const char *aperte = std::getenv("SUDOKU_PAGINE_APERTE");
  if (aperte != nullptr && *aperte)
    c.aperte = pagina(aperte).value_or("");
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

int eseguiancora(const std::string &cartella, const std::vector<std::string> &argomenti) {
#if defined(_WIN32)
  const std::string nulla = "NUL";
#else
  const std::string nulla = "/dev/null";
#endif
  long memoria = 0;
  return avvia(cartella, argomenti, nulla, nulla, {}, memoria);
}
