#include <cstdlib>

#include "report/pagine.h"

#if !defined(_WIN32) && !defined(__APPLE__)
namespace {

bool impostata(const char *nome) {
  const char *v = std::getenv(nome);
  return v != nullptr && *v != '\0';
}

} // namespace
#endif

void lanciavisualizzatore() {
#if defined(_WIN32)
  // The command processor opens the page with the program tied to HTML files.
  [[maybe_unused]] int esito = std::system("start out.html");
#elif defined(__APPLE__)
  [[maybe_unused]] int esito = std::system("open out.html </dev/null >/dev/null 2>&1 &");
#else
  // Without a desktop session there is nothing to show the page on.
  if (!impostata("DISPLAY") && !impostata("WAYLAND_DISPLAY"))
    return;
  [[maybe_unused]] int esito = std::system("xdg-open out.html </dev/null >/dev/null 2>&1 &");
#endif
}
