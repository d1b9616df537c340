// Putting closed pages in place together: the folder shows the earlier
// pages or the new ones, whole, never a part nor a mix, and a symbolic link
// standing at a page's name is replaced, not written through.
#pragma once

#include <initializer_list>

struct Pagina;

// Renames the closed pages into place in the order given, the last one
// last, holding the signals back and the lock every run in the folder
// takes, so that runs at once in one folder leave one run's pages. Each
// earlier page is kept until the last page is in place. When the lock
// cannot be had, or is not let go within half a minute, tells so in one
// line and moves nothing. When a page cannot be put in place, prints
// "Errore nella scrittura del file NAME\n", puts the earlier pages back and
// returns false; an earlier page that cannot be put back is told ("Errore
// nel ripristino del file NAME\n", then where it is kept, if anywhere) and
// left where it is. Every partial file goes, but one that keeps an earlier
// page.
bool mettiinposto(std::initializer_list<Pagina *> pagine);
