// What differs between Unix systems under the POSIX system layer
// (sistema_posix.cpp), internal to report/: one file for Linux
// (sistema_linux.cpp), one for the others (sistema_altriunix.cpp), the one
// for the target chosen in CMakeLists.txt. Each also defines scambia
// (sistema.h), which only Linux can do.
#pragma once

#include <span>

// The signals whose default action ends the process that this system has
// beyond those of every POSIX system, but the real-time ones.
std::span<const int> segnalipropri();
// Whether the open folder may grant rights beyond its permission bits: an
// access control list, or a system where one cannot be looked for.
bool conlista(int cartella);
