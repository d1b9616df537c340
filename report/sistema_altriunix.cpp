// What the POSIX system layer leaves to Unix systems other than Linux
// (sistema_unix.h), and the exchange of two names, which they cannot do.
#include <string>

#include "report/sistema.h"
#include "report/sistema_unix.h"

std::span<const int> segnalipropri() {
  return {};
}

// Nothing portable tells whether a folder has an access control list.
bool conlista(int) {
  return true;
}

bool scambia(const std::string &, const std::string &) {
  return false;
}
