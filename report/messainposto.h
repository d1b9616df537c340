// Putting closed pages in place together: the folder shows the earlier
// pages or the new ones, whole, never a part nor a mix, and a symbolic link
// standing at a page's name is replaced, not written through.
#pragma once

#include <initializer_list>

struct Pagina;

// Renames the closed pages into place in the order given, the last one
// last, holding the signals back and an exclusive lock on the folder, so
// that runs at once in one folder leave one run's pages. Each earlier page
// is kept until the last page is in place. When a page cannot be put in
// place, prints "Errore nella scrittura del file NAME\n", puts the earlier
// pages back, removes every partial file and returns false; an earlier page
// that cannot be put back is told ("Errore nel ripristino del file NAME\n",
// then where it is kept, if anywhere) and left where it is.
bool mettiinposto(std::initializer_list<Pagina *> pagine);
