// The viewer launch (pagine.h) on macOS: open hands the page to the
// program tied to HTML files.
#include <cstdlib>

#include "report/pagine.h"

void lanciavisualizzatore() {
  [[maybe_unused]] int esito = std::system("open out.html </dev/null >/dev/null 2>&1 &");
}
