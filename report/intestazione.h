// What both pages share: the header they start with and the box shading.
#pragma once

#include <string_view>
#include <vector>

inline constexpr std::string_view INTESTAZIONE =
    "<html>\n<head>\n<META NAME=\"DC.Title\" CONTENT=\"Sudoku\">"
    "\n<META NAME=\"description\" CONTENT=\"Output del programma"
    " per la risoluzione del Sudoku di Brunalvio\">\n"
    "<META NAME=\"keywords\" CONTENT=\"sudoku,brunalvio\">"
    "\n\n<title>Sudoku</title>\n\n</head><body>\n\n"
    "<body bgcolor=\"#006600\" text=black link=\"#000000\" vlink=\"#000000\" alink=\"#0000aa\">";

// Shading of every cell of an n x n table, [i*n + j], 1 = shaded; the same
// for every table, since each starts its parity afresh.
std::vector<char> ombre(int n);
