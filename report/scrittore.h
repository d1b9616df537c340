// Buffered writing of a page. The page is a list of pieces written in big
// blocks: text copied into the page's own buffer (scrivi), or text the page
// only points at (riferisci), which must stay as it is until the next write;
// a caller about to drop or change such a text hands it over instead
// (custodisci). Any failure is remembered until the close.
//
// A page is written under a name of its own beside the page's name, a
// partial file (report/parziali.h), and put in its place only once complete
// and closed, together with the pages that go with it (mettiinposto,
// report/messainposto.h). A partial file goes with its Pagina, or with the
// process when a signal or a lack of memory ends it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct Pagina {
  Pagina() = default;
  Pagina(const Pagina &) = delete;
  Pagina &operator=(const Pagina &) = delete;
  ~Pagina(); // removes a partial file not put in place

  // A piece of the page: lunghezza bytes at dati, or, when dati is null,
  // at offset inizio of buffer (which may move while it grows).
  struct Pezzo {
    const char *dati;
    std::size_t inizio, lunghezza;
  };
  // The open partial file, as the system keeps it (report/sistema.h); -1 when none.
  std::intptr_t file = -1;
  std::string nome;
  std::string parziale;     // the file being written, named after the page and this process;
                            // empty when there is none
  std::string buffer;       // copied text since the last write
  std::vector<Pezzo> pezzi; // what the next write writes, in order
  std::vector<std::unique_ptr<std::string>> custoditi; // texts kept alive until then
  std::size_t inattesa = 0;                            // bytes in pezzi
  bool guasta = false;                                 // a write failed
};

// Creates the partial file of the page for writing in text mode; on failure
// (a folder at the page's name included) prints
// "Errore nell'apertura del file NAME\n" and returns false.
bool apripagina(Pagina &p, const std::string &nome);

inline void scrivi(Pagina &p, std::string_view testo);
inline void riferisci(Pagina &p, std::string_view testo);

// Keeps a text the pending pieces may point at until they are written.
void custodisci(Pagina &p, std::unique_ptr<std::string> testo);

// Flushes and closes the partial file, which stays until mettiinposto or
// scarta; on any failure since the opening removes it, prints "Errore
// nella scrittura del file NAME\n" and returns false.
bool chiudipagina(Pagina &p);

// Removes the partial file, if any.
void scarta(Pagina &p);

// Writes the pending pieces; empties the buffer and drops the kept texts.
void svuota(Pagina &p);

inline constexpr std::size_t BLOCCO = std::size_t{1} << 20; // bytes gathered before a write
// Pieces gathered before a write: as many as one writev takes (IOV_MAX on
// Linux and macOS).
inline constexpr std::size_t PEZZI = 1024;

inline void accoda(Pagina &p, const char *dati, std::size_t inizio, std::size_t lunghezza) {
  p.pezzi.push_back({dati, inizio, lunghezza});
  p.inattesa += lunghezza;
  if (p.inattesa >= BLOCCO || p.pezzi.size() >= PEZZI)
    svuota(p);
}

inline void scrivi(Pagina &p, std::string_view testo) {
  if (testo.empty())
    return;
  const std::size_t inizio = p.buffer.size();
  p.buffer.append(testo);
  // Copied text right after copied text extends the same piece (a copied
  // last piece ends where the buffer did).
  if (!p.pezzi.empty() && p.pezzi.back().dati == nullptr) {
    p.pezzi.back().lunghezza += testo.size();
    p.inattesa += testo.size();
    if (p.inattesa >= BLOCCO)
      svuota(p);
  } else {
    accoda(p, nullptr, inizio, testo.size());
  }
}

inline void riferisci(Pagina &p, std::string_view testo) {
  if (!testo.empty())
    accoda(p, testo.data(), 0, testo.size());
}
