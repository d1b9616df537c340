// The viewer launch (pagine.h) on Windows.
#include <cstdlib>

#include "report/pagine.h"

void lanciavisualizzatore() {
  // The command processor opens the page with the program tied to HTML files.
  [[maybe_unused]] int esito = std::system("start out.html");
}
