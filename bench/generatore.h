// Seeded puzzle generator, readers of the public puzzle collections and whole-file
// reading and writing, for the tests, the fuzz targets and the benchmark.
// The generator uses std::mt19937 (whose output the standard fixes) with its own range mapping
// and shuffle, so a seed gives the same grid on every platform and standard library.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace generatore {

// N x N grid indexed [row][column], 0 = empty cell.
using Griglia = std::vector<std::vector<int>>;

// A random complete valid grid of side n (rows, columns and floor(sqrt(n)) boxes free of
// repeats). Throws std::invalid_argument when n < 1 or the box side does not divide n.
Griglia generasoluzione(int n, std::uint32_t seme);

// A copy of soluzione with `vuote` distinct random cells set to 0 (clamped to 0..N*N).
// No uniqueness of the solution is sought.
Griglia generapuzzle(const Griglia &soluzione, int vuote, std::uint32_t seme);

// A random order of 0..k-1 (k >= 0).
std::vector<int> permutazione(int k, std::uint32_t seme);

// Puzzle file text: one line per row, values separated by one space, 0 for an empty cell,
// every line ended by "\n".
std::string testopuzzle(const Griglia &g);
// The grid of a puzzle file in that form (no check of any kind).
Griglia grigliadatesto(const std::string &testo);

// A whole file as bytes; throws std::runtime_error when it cannot be opened.
std::string leggitutto(const std::string &percorso);
// Writes testo as the whole file; throws std::runtime_error when that fails.
void scrivitutto(const std::string &percorso, const std::string &testo);

// Reads a public collection: lines of N*N cell symbols ('.' or '0' empty, 1-9, then A = 10,
// B = 11, ...), optionally followed by ":..." (only the puzzle part is taken) and/or a TAB and
// a comment; or blocks of a "Grid ..." header followed by one line of digits per row.
// Empty lines are skipped. Throws std::runtime_error on an unreadable file or a bad line.
std::vector<Griglia> leggiraccolta(const std::string &percorso);

// Reads the solution part of every "puzzle:solution" line of a file.
std::vector<Griglia> leggisoluzioni(const std::string &percorso);

// Reads "puzzle:count[:solution]" lines: the puzzle and its number of solutions.
std::vector<std::pair<Griglia, int>> leggitdoku(const std::string &percorso);

// Converts one line of cell symbols (length N*N for some N) into a grid.
Griglia grigliadasimboli(const std::string &simboli);

} // namespace generatore
