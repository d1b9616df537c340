// Buffered writing of a page: text is gathered in a large buffer and handed
// to the file in big blocks; any failure is remembered until the close.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

struct Pagina {
  std::FILE *file = nullptr;
  std::string nome;
  std::string buffer;
  bool guasta = false; // a write failed
};

// Opens the page for writing in text mode; on failure prints
// "Errore nell'apertura del file NAME\n" and returns false.
bool apripagina(Pagina &p, const std::string &nome);

inline void scrivi(Pagina &p, std::string_view testo);

// Flushes and closes; on any failure since the opening prints
// "Errore nella scrittura del file NAME\n" and returns false.
bool chiudipagina(Pagina &p);

void svuota(Pagina &p);

inline constexpr std::size_t BLOCCO = std::size_t{1} << 20; // bytes gathered before a write

inline void scrivi(Pagina &p, std::string_view testo) {
  p.buffer.append(testo);
  if (p.buffer.size() >= BLOCCO)
    svuota(p);
}
