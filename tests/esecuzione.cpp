#include "esecuzione.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

std::string leggitutto(const std::string &percorso) {
  std::ifstream f(percorso, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void scrivitutto(const std::string &percorso, const std::string &testo) {
  std::ofstream f(percorso, std::ios::binary);
  f << testo;
}

std::string senzatempo(std::string pagina) {
  const std::string inizio = "Tempo della CPU impiegato: ";
  const auto a = pagina.find(inizio);
  if (a == std::string::npos)
    return pagina;
  const auto b = pagina.find(" secondi", a);
  return pagina.replace(a + inizio.size(), b - a - inizio.size(), "#");
}

Corsa esegui(const std::optional<std::string> &puzzle, const std::vector<std::string> &argomenti,
             const std::function<void(const std::string &)> &prepara) {
  const char *base = std::getenv("TMPDIR");
  std::string modello = std::string(base && *base ? base : "/tmp") + "/sudoku-e2e-XXXXXX";
  if (mkdtemp(modello.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  const std::string cartella = modello;
  if (puzzle)
    scrivitutto(cartella + "/in.txt", *puzzle);
  if (prepara)
    prepara(cartella);

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

  const std::string fileerr = cartella + "/.stderr", fileout = cartella + "/.stdout";
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
  waitpid(pid, &stato, 0);

  Corsa c;
  c.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
  c.errori = leggitutto(fileerr);
  c.uscita = leggitutto(fileout);
  if (fs::is_regular_file(cartella + "/out.html"))
    c.out = leggitutto(cartella + "/out.html");
  if (fs::is_regular_file(cartella + "/out4F.html"))
    c.out4f = leggitutto(cartella + "/out4F.html");
  std::error_code ec;
  fs::remove_all(cartella, ec);
  return c;
}
