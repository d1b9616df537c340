#include "app/lettore.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace {

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

std::string fuoriintervallo(const std::string &cifre, int n) {
  const std::string mostrate = cifre.size() > 10 ? cifre.substr(0, 10) + "..." : cifre;
  return "valore " + mostrate + " fuori dall'intervallo 0.." + std::to_string(n);
}

std::string cella(int cella, int n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "(%d,%d)", cella / n + 1, cella % n + 1);
  return buf;
}

// Records the fault at (linea, colonna) of the reading; always false, so
// that a caller can return it.
bool guasto(Analisi &a, long long colonna, std::string messaggio) {
  a.guasto = true;
  a.esito.riga = a.linea;
  a.esito.colonna = colonna;
  a.esito.messaggio = std::move(messaggio);
  return false;
}

bool troppi(Analisi &a, long long colonna) {
  return guasto(
      a, colonna,
      std::string(a.linea == 1 ? "troppi valori sulla prima riga" : "troppi valori nella riga") +
          " (al massimo " + std::to_string(a.limite) + ")");
}

// Checks a token of value v (its digits cifre) at token index c of a grid
// row and places it in the grid.
bool poni(Analisi &a, int c, int v, long long colonna, const std::string &cifre) {
  if (v > a.n)
    return guasto(a, colonna, fuoriintervallo(cifre, a.n));
  if (v == 0)
    return true;
  const int r = static_cast<int>(a.linea - 1);
  std::string doppio = a.registro->registra(r, c, v);
  if (!doppio.empty())
    return guasto(a, colonna, std::move(doppio));
  a.esito.griglia[r][c] = v;
  return true;
}

// A whole token: kept while the first line is read, placed afterwards.
bool chiuditoken(Analisi &a, int v, long long colonna, std::string cifre) {
  a.innumero = false;
  if (a.n == 0) {
    a.prima.push_back({v, colonna, std::move(cifre)});
    return true;
  }
  return poni(a, a.contati - 1, v, colonna, cifre);
}

// One byte of a line's content, at column ++colonna.  Rows past the last
// one must be empty; elsewhere a token begins at a byte that is not a space
// unless a number is running, and a 0 is a token by itself.
bool prendi(Analisi &a, unsigned char c) {
  const long long colonna = ++a.colonna;
  if (a.n != 0 && a.linea > a.n)
    return guasto(a, 1,
                  "contenuto dopo l'ultima riga della tabella (le righe sono " +
                      std::to_string(a.n) + ")");
  if (a.innumero) {
    if (c == ' ')
      return chiuditoken(a, a.valore, a.iniziotoken, std::move(a.cifre));
    if (c < '0' || c > '9')
      return guasto(a, colonna, descrivi(c));
    if (a.valore <= a.limite)
      a.valore = a.valore * 10 + (c - '0');
    if (a.valore > a.limite)
      a.valore = a.limite + 1;
    if (a.cifre.size() < 12)
      a.cifre += static_cast<char>(c);
    return true;
  }
  if (c == ' ' && colonna > 1)
    return true; // between tokens
  if (a.contati >= a.limite)
    return troppi(a, colonna);
  if (c == '0') {
    ++a.contati;
    return chiuditoken(a, 0, colonna, "0");
  }
  if (c < '1' || c > '9')
    return guasto(a, colonna, descrivi(c));
  ++a.contati;
  a.innumero = true;
  a.iniziotoken = colonna;
  a.valore = c - '0';
  a.cifre.assign(1, static_cast<char>(c));
  return true;
}

// The first line is over: it fixes N, then its values are checked.
bool chiudiprima(Analisi &a) {
  if (a.colonna == 0)
    return guasto(a, 1, "la prima riga e' vuota: deve contenere i valori della prima riga");
  const int n = a.contati;
  const int q = latoquadrato(n);
  if (n % q != 0)
    return guasto(a, 1,
                  "lato " + std::to_string(n) + " non ammesso: il lato dei quadrati (" +
                      std::to_string(q) + ") non divide il lato della tabella");
  a.n = n;
  a.limite = n;
  a.esito.griglia.assign(n, std::vector<int>(n, 0));
  a.registro.emplace(n);
  for (int c = 0; c < n; ++c)
    if (!poni(a, c, a.prima[c].valore, a.prima[c].colonna, a.prima[c].cifre))
      return false;
  a.prima.clear();
  return true;
}

// The end of the current line, by a line feed or, when acapo is false, by
// the end of the input.
bool chiudilinea(Analisi &a, bool acapo) {
  if (a.innumero && !chiuditoken(a, a.valore, a.iniziotoken, std::move(a.cifre)))
    return false;
  if (a.n == 0 && !chiudiprima(a))
    return false;
  if (!acapo)
    return guasto(a, a.colonna + 1, "l'ultima riga non termina con un a capo");
  ++a.linea;
  a.colonna = 0;
  a.contati = 0;
  return true;
}

} // namespace

Registro::Registro(int lato)
    : quadrati(lato), inriga(lato * lato), incolonna(lato * lato),
      inquadrato(quadrati.bande * quadrati.bande * lato) {}

std::string Registro::registra(int r, int c, int v) {
  const int n = quadrati.n;
  const int qui = r * n + c;
  const int b = quadrati.quadratodi(r, c);
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

// A "\r" is held back until the next byte shows whether it ends the line.
bool analizza(Analisi &a, std::string_view pezzo) {
  if (!pezzo.empty())
    a.vuoto = false;
  for (const char ch : pezzo) {
    if (a.guasto)
      return false;
    const auto c = static_cast<unsigned char>(ch);
    if (a.crinattesa) {
      a.crinattesa = false;
      if (c == '\n') {
        chiudilinea(a, true);
        continue;
      }
      if (!prendi(a, '\r'))
        return false;
    }
    if (c == '\r')
      a.crinattesa = true;
    else if (c == '\n')
      chiudilinea(a, true);
    else
      prendi(a, c);
  }
  return !a.guasto;
}

// A last line without a line feed (a lone "\r" at the very end included) is
// read, then refused if nothing else is wrong.
Lettura concludi(Analisi &a) {
  if (!a.guasto && a.vuoto)
    guasto(a, 1, "il file e' vuoto");
  if (!a.guasto && (a.colonna > 0 || a.crinattesa))
    chiudilinea(a, false);
  if (!a.guasto)
    a.esito.valida = true;
  return std::move(a.esito);
}

Lettura leggipuzzle(const std::string &testo) {
  Analisi a;
  analizza(a, testo);
  return concludi(a);
}

std::string messaggiolettura(const std::string &file, const Lettura &l) {
  return file + ":" + std::to_string(l.riga) + ":" + std::to_string(l.colonna) +
         ": errore: " + l.messaggio + "\n";
}

Caricamento leggifile(const std::string &nome, Lettura &l) {
  std::error_code ec;
  if (std::filesystem::is_directory(nome, ec))
    return Caricamento::apertura;
  std::FILE *f = std::fopen(nome.c_str(), "rb");
  if (f == nullptr)
    return errno == ENOMEM ? Caricamento::memoria : Caricamento::apertura;
  std::vector<char> buf(PEZZO);
  Analisi a;
  std::size_t letti;
  while ((letti = std::fread(buf.data(), 1, buf.size(), f)) > 0)
    if (!analizza(a, {buf.data(), letti}))
      break;
  const bool errore = !a.guasto && std::ferror(f) != 0;
  const bool esaurita = errore && errno == ENOMEM;
  std::fclose(f);
  if (errore)
    return esaurita ? Caricamento::memoria : Caricamento::lettura;
  l = concludi(a);
  return Caricamento::riuscito;
}
