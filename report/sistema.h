// What the page writer asks of the system, internal to report/: one file
// for each system (sistema_posix.cpp with what differs between Unix systems
// behind sistema_unix.h, sistema_windows.cpp), the ones for the target
// chosen in CMakeLists.txt. Names are the page's own and partial names,
// relative to the current folder.
#pragma once

#include <cstdint>
#include <string>

struct Pagina;

// Creates p.parziale exclusively, never through a link, and opens it in
// p.file for writing in text mode; errno is EEXIST when the name is taken.
bool crea(Pagina &p);
// Writes p's pending pieces, in order; false when some byte was not written.
bool scrivipezzi(Pagina &p);
// Closes p's file, flushing it, and sets p.file to -1; false when the flush
// or the close failed.
bool chiudi(Pagina &p);
// Where an open file cannot be removed (Windows), closes every open file at
// once, allocating nothing; elsewhere does nothing.
void chiuditutto();

// This process's number.
int processo();
// Whether a folder stands at the name (a link to one is not a folder).
bool cartellaal(const char *nome);
// Renames da to a, replacing a file there; errno is ENOENT when there is no da.
bool sposta(const std::string &da, const std::string &a);
// Exchanges the files at a and b, where the system can (Linux); false elsewhere.
bool scambia(const std::string &a, const std::string &b);
// Removes the file at the name.
bool elimina(const char *nome);

// The signals whose default action ends the process get, once, a handler
// that removes the partial files (scartaparziali) and then takes that
// action (POSIX; nothing on Windows).
void preparasegnali();
// The signal mask found when those signals were held back, which
// rilasciasegnali puts back: the system's own bytes, kept by the caller.
class Trattenuti {
  friend Trattenuti trattienisegnali();
  friend void rilasciasegnali(const Trattenuti &t);
  unsigned char maschera[128]; // room for any system's mask
};
// Holds those signals back until rilasciasegnali is given what it returns.
Trattenuti trattienisegnali();
void rilasciasegnali(const Trattenuti &t);

// A try at the exclusive lock under which pages go in place in the current
// folder, the lock every run in the folder takes, whoever runs it.
enum class Presa {
  presa,    // held, until lasciaserratura
  occupata, // another holds it now: try again
  negata,   // it cannot be had here (a file planted under its name that cannot
            // be opened, say): no page may go in place
};
// What a run holds of the lock, owned by the run that takes it; only the
// system's file reads or changes it. Every system locks something for the
// folder, and some lock a file besides where that may not exclude every
// run; a handle is kept as an integer wide enough for any system's.
class Serratura {
public:
  Serratura() = default;
  Serratura(const Serratura &) = delete;
  Serratura &operator=(const Serratura &) = delete;

private:
  friend Presa provaserratura(Serratura &s);
  friend void lasciaserratura(Serratura &s);
  bool avviata = false;        // what is locked for the folder was opened (or could not be)
  std::intptr_t cartella = -1; // what is locked for the folder; -1 when nothing
  bool cartellapresa = false;
  bool serveilfile = false; // whether the lock file is locked too
  std::intptr_t file = -1;  // the lock file, opened; -1 when not
  bool filepreso = false;
};
// Tries to take the lock into s without waiting; a part of it already taken
// is kept.
Presa provaserratura(Serratura &s);
// Lets go whatever provaserratura took into s; s is then as new.
void lasciaserratura(Serratura &s);
// Sleeps for about the milliseconds given.
void pausa(int millisecondi);
