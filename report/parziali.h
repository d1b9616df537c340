// The partial files: the names a page is written under until it goes in
// place, and the table where the run finds them when it must end at once
// (a signal, memory run out) to remove them. A name is set in the table,
// with the signals held back, as its file is created, and forgotten once
// the file is renamed or removed. The two pages, and the name one earlier
// page may be kept under while they go in place, are all a run has at once.
#pragma once

#include <string>

struct Pagina;

// A name beside the page's own (nome) that no other run uses: the page's
// name, this process and a count.
std::string nomeproprio(const std::string &nome);

// Creates the page's partial file (p.parziale) under a name no other run
// is using, tried afresh while taken, and sets it in the table. A folder
// at the page's name could never be replaced: the page cannot be created.
// False, with p.parziale empty, when no file was created.
bool creaparziale(Pagina &p);

// The page's partial file is no longer the page's: forgotten by the page
// and by the table, it stays where it is.
void lasciaparziale(Pagina &p);

// The page's partial file holds an earlier page now, to be kept: forgotten
// by the page and by the table, its name is returned. Allocates nothing.
std::string tieniparziale(Pagina &p);

// Removes every partial file of the table at once, allocating nothing: for
// a run that must end at once. The earlier pages stay.
void scartaparziali();
