#include "app/lettore.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

struct Gettone {
  int valore;  // saturated just above the largest value the line allows
  int colonna; // 1-based column of its first character
  std::string cifre;
};

struct Guasto {
  int colonna = 0; // 0 = no fault
  std::string messaggio;
  int iniziotoken = 0; // column where the token holding the fault begins (0 = none)
};

std::string descrivi(unsigned char c) {
  if (c == ' ')
    return "spazio all'inizio della riga";
  if (c == '\r')
    return "carattere CR fuori posto (ammesso solo subito prima del fine riga)";
  char buf[64];
  if (c > 32 && c < 127)
    std::snprintf(buf, sizeof buf, "carattere non ammesso '%c'", c);
  else
    std::snprintf(buf, sizeof buf, "carattere non ammesso (byte 0x%02X)", c);
  return buf;
}

// Splits one line (without its line end) into tokens.  Values above tetto
// stop growing at tetto + 1, so no digit string can overflow.
Guasto gettoni(const std::string &riga, int tetto, std::vector<Gettone> &out) {
  out.clear();
  std::size_t p = 0;
  const std::size_t n = riga.size();
  while (p < n) {
    const unsigned char c = static_cast<unsigned char>(riga[p]);
    Gettone g{0, static_cast<int>(p) + 1, {}};
    if (c == '0') {
      g.cifre = "0";
      ++p;
    } else if (c >= '1' && c <= '9') {
      // A number runs up to the next space or the line end; a 0 inside it is a digit.
      while (p < n && riga[p] != ' ') {
        const unsigned char d = static_cast<unsigned char>(riga[p]);
        if (d < '0' || d > '9')
          return {static_cast<int>(p) + 1, descrivi(d), g.colonna};
        if (g.valore <= tetto)
          g.valore = g.valore * 10 + (d - '0');
        if (g.valore > tetto)
          g.valore = tetto + 1;
        if (g.cifre.size() < 12)
          g.cifre += static_cast<char>(d);
        ++p;
      }
    } else {
      return {static_cast<int>(p) + 1, descrivi(c), static_cast<int>(p) + 1};
    }
    out.push_back(g);
    while (p < n && riga[p] == ' ')
      ++p;
  }
  return {};
}

std::string fuoriintervallo(const Gettone &g, int n) {
  std::string cifre = g.cifre.size() > 10 ? g.cifre.substr(0, 10) + "..." : g.cifre;
  return "valore " + cifre + " fuori dall'intervallo 0.." + std::to_string(n);
}

// Where each given value already stands, to refuse repeated givens.
struct Registro {
  int n, q;
  std::vector<int> inriga, incolonna, inquadrato; // [unit * n + value - 1] -> cell + 1, 0 = none

  explicit Registro(int lato)
      : n(lato), q(latoquadrato(lato)), inriga(lato * lato), incolonna(lato * lato),
        inquadrato((lato / q) * (lato / q) * lato) {}

  static std::string cella(int cella, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "(%d,%d)", cella / n + 1, cella % n + 1);
    return buf;
  }

  // Records value v at (r, c); returns a message when v clashes with an earlier given.
  std::string registra(int r, int c, int v) {
    const int qui = r * n + c;
    const int b = (r / q) * (n / q) + c / q;
    struct Unita {
      std::vector<int> &posto;
      int indice;
      std::string nome;
    } unita[] = {{inriga, r, "nella riga " + std::to_string(r + 1)},
                 {incolonna, c, "nella colonna " + std::to_string(c + 1)},
                 {inquadrato, b, "nel quadrato di " + cella(qui, n)}};
    for (auto &u : unita) {
      int &posto = u.posto[u.indice * n + v - 1];
      if (posto != 0)
        return "valore " + std::to_string(v) + " ripetuto " + u.nome + ": celle " +
               cella(posto - 1, n) + " e " + cella(qui, n);
    }
    for (auto &u : unita)
      u.posto[u.indice * n + v - 1] = qui + 1;
    return {};
  }
};

Lettura guasto(int riga, int colonna, std::string messaggio) {
  Lettura l;
  l.riga = riga;
  l.colonna = colonna;
  l.messaggio = std::move(messaggio);
  return l;
}

// Takes the tokens of one line in order, then the fault that stopped the
// line (if any): the first fault in reading order is the one reported.
// Values are checked and recorded only with a registro; limite is the most
// tokens the line may hold.
std::optional<Lettura> esaminariga(Lettura &esito, Registro *registro, int linea, int limite,
                                   const std::vector<Gettone> &tok, const Guasto &g, int n) {
  const auto troppi = [&](int colonna) {
    return guasto(
        linea, colonna,
        std::string(linea == 1 ? "troppi valori sulla prima riga" : "troppi valori nella riga") +
            " (al massimo " + std::to_string(limite) + ")");
  };
  for (std::size_t c = 0; c < tok.size(); ++c) {
    const Gettone &t = tok[c];
    if (c >= static_cast<std::size_t>(limite))
      return troppi(t.colonna);
    if (registro == nullptr)
      continue; // first line: values are checked once N is known
    if (t.valore > n)
      return guasto(linea, t.colonna, fuoriintervallo(t, n));
    if (t.valore == 0)
      continue;
    std::string doppio = registro->registra(linea - 1, static_cast<int>(c), t.valore);
    if (!doppio.empty())
      return guasto(linea, t.colonna, doppio);
    esito.griglia[linea - 1][c] = t.valore;
  }
  if (g.colonna != 0) {
    if (g.iniziotoken != 0 && tok.size() >= static_cast<std::size_t>(limite))
      return troppi(g.iniziotoken);
    return guasto(linea, g.colonna, g.messaggio);
  }
  return std::nullopt;
}

} // namespace

Lettura leggipuzzle(const std::string &testo) {
  if (testo.empty())
    return guasto(1, 1, "il file e' vuoto");

  int n = 0;
  std::vector<Gettone> tok;
  Lettura esito;
  std::optional<Registro> registro; // built once N is known

  std::size_t inizio = 0;
  for (int linea = 1; inizio < testo.size(); ++linea) {
    // The line runs to its "\n" (a "\r" right before it is part of the line
    // end); a last line without one is read, then refused if nothing else is wrong.
    std::size_t fine = testo.find('\n', inizio);
    const bool senzaacapo = fine == std::string::npos;
    std::size_t lunghezza = (senzaacapo ? testo.size() : fine) - inizio;
    if (!senzaacapo && lunghezza > 0 && testo[fine - 1] == '\r')
      --lunghezza;
    const std::string riga = testo.substr(inizio, lunghezza);
    inizio = senzaacapo ? testo.size() : fine + 1;

    if (linea == 1) {
      if (riga.empty())
        return guasto(1, 1, "la prima riga e' vuota: deve contenere i valori della prima riga");
      const Guasto g = gettoni(riga, LATO_MASSIMO, tok);
      if (auto l = esaminariga(esito, nullptr, 1, LATO_MASSIMO, tok, g, 0))
        return *l;
      n = static_cast<int>(tok.size());
      const int q = latoquadrato(n);
      if (n % q != 0)
        return guasto(1, 1,
                      "lato " + std::to_string(n) + " non ammesso: il lato dei quadrati (" +
                          std::to_string(q) + ") non divide il lato della tabella");
      esito.griglia.assign(n, std::vector<int>(n, 0));
      registro.emplace(n);
      if (auto l = esaminariga(esito, &*registro, 1, n, tok, {}, n))
        return *l;
    } else if (linea - 1 >= n) {
      if (!riga.empty())
        return guasto(linea, 1,
                      "contenuto dopo l'ultima riga della tabella (le righe sono " +
                          std::to_string(n) + ")");
    } else {
      const Guasto g = gettoni(riga, n, tok);
      if (auto l = esaminariga(esito, &*registro, linea, n, tok, g, n))
        return *l;
    }
    if (senzaacapo)
      return guasto(linea, static_cast<int>(riga.size()) + 1,
                    "l'ultima riga non termina con un a capo");
  }
  esito.valida = true;
  return esito;
}

std::string messaggiolettura(const std::string &file, const Lettura &l) {
  return file + ":" + std::to_string(l.riga) + ":" + std::to_string(l.colonna) +
         ": errore: " + l.messaggio + "\n";
}

Caricamento caricafile(const std::string &nome, std::string &testo) {
  std::error_code ec;
  if (std::filesystem::is_directory(nome, ec))
    return Caricamento::apertura;
  std::FILE *f = std::fopen(nome.c_str(), "rb");
  if (f == nullptr)
    return Caricamento::apertura;
  testo.clear();
  char buf[1 << 16];
  std::size_t letti;
  while ((letti = std::fread(buf, 1, sizeof buf, f)) > 0)
    testo.append(buf, letti);
  const bool errore = std::ferror(f) != 0;
  std::fclose(f);
  return errore ? Caricamento::lettura : Caricamento::riuscito;
}
