// The two pages written once the grid is complete, and the viewer launch.
#pragma once

#include "app/stato.h"

struct Pagina;

// Writes "out4F.html" into p, closed under its partial name: the puzzle,
// then one line and one board per step in step order.  Uses tabellaold as
// its replay board: on return it holds g.  False when the page could not be
// written whole (the message is printed).
bool stampapercorso(Pagina &p, const Griglia &g, const Griglia &passi);

// Writes "out.html" (given cells plain, solved ones red, size, time, link)
// and the step page, and puts the two in place together.  Reads tabellaold before the step page
// overwrites it.  False when either page failed: both earlier pages then stay as they were.
bool stampatabella(const Griglia &g, const Griglia &passi);

// Hands "out.html" to the platform's viewer, without waiting for it.
void lanciavisualizzatore();
