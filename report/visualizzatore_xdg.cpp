// The viewer launch (pagine.h) on Unix desktops that follow freedesktop.org
// (Linux, BSD): xdg-open hands the page to the user's program for it.
#include <cstdlib>

#include "report/pagine.h"

void lanciavisualizzatore() {
  // Without a desktop session there is nothing to show the page on.
  const auto impostata = [](const char *nome) {
    const char *v = std::getenv(nome);
    return v != nullptr && *v != '\0';
  };
  if (!impostata("DISPLAY") && !impostata("WAYLAND_DISPLAY"))
    return;
  [[maybe_unused]] int esito = std::system("xdg-open out.html </dev/null >/dev/null 2>&1 &");
}
