// What the POSIX system layer leaves to Linux (sistema_unix.h), and the
// exchange of two names.
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sys/xattr.h>

#include "report/sistema.h"
#include "report/sistema_unix.h"

namespace {

// Some architectures have no stack fault signal; the C library's headers
// say which (SIGSTKFLT).
constexpr int SEGNALILINUX[] = {
#if defined(SIGSTKFLT)
    SIGSTKFLT,
#endif
    SIGPOLL,
    SIGPWR,
};

} // namespace

std::span<const int> segnalipropri() {
  return SEGNALILINUX;
}

bool conlista(int cartella) {
  for (const char *lista : {"system.posix_acl_access", "system.nfs4_acl"})
    if (::fgetxattr(cartella, lista, nullptr, 0) >= 0 || (errno != ENODATA && errno != ENOTSUP))
      return true;
  return false;
}

// A C library older than the call (renameat2, RENAME_EXCHANGE) leaves the
// earlier page to be moved aside instead.
bool scambia(const std::string &a, const std::string &b) {
#if defined(RENAME_EXCHANGE)
  return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#else
  (void)a;
  (void)b;
  return false;
#endif
}
