// The page writer: copied and referenced pieces reach the file in order,
// across many writes, past the pieces one system call takes, and a
// referenced text handed over to the page is written as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "filetesto.h"
#include "report/scrittore.h"

namespace {

TEST(Scrittore, PezziCopiatiERiferitiInOrdine) {
  // A name of this run's own: other builds' suites may run at the same time.
  const auto nome =
      std::filesystem::temp_directory_path() /
      ("sudoku_scrittore_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".html");
  Pagina p;
  ASSERT_TRUE(apripagina(p, nome.string()));
  std::string atteso;
  // Small pieces, far more than one write takes, then large ones, many
  // blocks' worth. Every third referenced text is handed over to the page
  // at once, and a text of the same size filled with other bytes is made
  // right after, where the allocator would reuse a text dropped too soon.
  const std::string grande(BLOCCO / 3 + 7, 'x');
  std::vector<std::unique_ptr<std::string>> vivi; // the test's own, kept to the end
  std::vector<std::unique_ptr<std::string>> altri;
  for (int k = 0; k < 5 * static_cast<int>(PEZZI) + 40; ++k) {
    const bool largo = k >= 5 * static_cast<int>(PEZZI);
    auto testo = std::make_unique<std::string>(
        (largo ? grande : std::string(1 + k % 5, static_cast<char>('a' + k % 26))) +
        std::to_string(k));
    riferisci(p, *testo);
    atteso += *testo;
    if (k % 3 == 0) {
      const std::size_t quanto = testo->size();
      custodisci(p, std::move(testo));
      altri.push_back(std::make_unique<std::string>(quanto, '#'));
    } else {
      vivi.push_back(std::move(testo));
    }
    if (k % 7 == 0)
      scrivi(p, ""); // nothing, not even an empty piece
    if (k % 2 == 0) {
      const std::string copia = "<" + std::to_string(k) + ">";
      scrivi(p, copia);
      atteso += copia;
    }
  }
  ASSERT_TRUE(chiudipagina(p));
  EXPECT_TRUE(leggitutto(nome.string()) == atteso) << "the page differs from what was handed";
  std::filesystem::remove(nome);
}

} // namespace
