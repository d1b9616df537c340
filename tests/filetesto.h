// Whole files read and written as bytes, for the tests.
#pragma once

#include <string>

std::string leggitutto(const std::string &percorso);
void scrivitutto(const std::string &percorso, const std::string &testo);
