// A run disturbed while it writes its step page (POSIX only): stopped by a
// signal, or with a folder planted at the page's name. Either way no page
// is left cut off and no partial file behind.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "esecuzione.h"
#include "generatore.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string FINE =
    "\n\nEsecuzione terminata.\nPremere un tasto per chiudere questa finestra.\n";

// A 100 x 100 with 300 cells to deduce: its step page takes long enough to
// act while it is written, on the partial file's first sight.
void mentrescrive(const std::function<void(const std::string &, int pid)> &azione, Corsa &c) {
  std::string testo;
  for (int i = 0; i < 100; ++i)
    for (int j = 0; j < 100; ++j) {
      const int v = (10 * (i % 10) + i / 10 + j) % 100 + 1;
      testo += std::to_string((i * 7 + j) % 33 == 0 ? 0 : v) + (j < 99 ? " " : "\n");
    }
  std::atomic<bool> finita = false, agito = false;
  std::thread sentinella;
  c = esegui(testo, {"-i", "in.txt"}, [&](const std::string &d) {
    sentinella = std::thread([&, d] {
      const std::string parziale = "out4F.html.parziale-";
      while (!finita && !agito) {
        std::error_code ec;
        for (const auto &v : fs::directory_iterator(d, ec))
          if (const std::string nome = v.path().filename().string(); nome.starts_with(parziale)) {
            azione(d, std::stoi(nome.substr(parziale.size())));
            agito = true;
          }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  });
  finita = true;
  sentinella.join();
  ASSERT_TRUE(agito) << "the run ended before its step page was seen";
}

TEST(Robustezza, InterruzioneDuranteLaScrittura) {
  Corsa c;
  mentrescrive([](const std::string &, int pid) { kill(pid, SIGTERM); }, c);
  EXPECT_EQ(c.stato, -1); // ended by the signal
  EXPECT_FALSE(c.out4f);
  EXPECT_TRUE(c.out && c.out->ends_with("</body></html>\n"));
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

TEST(Robustezza, RinominaImpossibile) {
  Corsa c;
  mentrescrive(
      [](const std::string &d, int) {
        fs::create_directory(d + "/out4F.html");
        generatore::scrivitutto(d + "/out4F.html/dentro", "x");
      },
      c);
  EXPECT_EQ(c.stato, 2);
  EXPECT_TRUE(c.errori.ends_with("Errore nella scrittura del file out4F.html\n" + FINE))
      << c.errori;
  EXPECT_FALSE(c.out4f);
  EXPECT_EQ(c.altrifile, std::vector<std::string>{});
}

} // namespace
#endif
