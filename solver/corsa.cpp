#include "solver/corsa.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

int quantimotori(const Opzioni &o, long long coppie) {
  // The address space, not the machine, bounds a 32-bit program.
  constexpr bool trentaduebit = sizeof(void *) < 8;
  const long long insieme =
      1000 * (trentaduebit ? o.migliaiadiclausoleinsieme32 : o.migliaiadiclausoleinsieme);
  const long long nuclei = std::max(1U, std::thread::hardware_concurrency());
  const long long chiesti =
      std::min<long long>(o.motori == 0 ? nuclei : o.motori, trentaduebit ? o.motori32 : 64);
  return static_cast<int>(std::clamp(insieme / std::max(1LL, coppie), 1LL, chiesti));
}

void corri(int quanti, const std::function<void(int)> &lavoro) {
  std::vector<std::exception_ptr> errori(static_cast<std::size_t>(quanti));
  const auto protetto = [&](int x) {
    try {
      lavoro(x);
    } catch (...) {
      errori[static_cast<std::size_t>(x)] = std::current_exception();
    }
  };
  std::vector<int> dopo; // the jobs no thread could be started for
  dopo.reserve(static_cast<std::size_t>(quanti));
  {
    std::vector<std::jthread> fili;
    fili.reserve(static_cast<std::size_t>(quanti));
    for (int x = 1; x < quanti; ++x)
      try {
        fili.emplace_back(protetto, x);
      } catch (const std::system_error &) {
        dopo.push_back(x);
      }
    protetto(0);
    // Where the system refuses a thread (a limit on processes or on
    // memory), its job runs here after the first one: a race it joins
    // late, once won, ends at once.
    for (int x : dopo)
      protetto(x);
  } // joined here
  for (const std::exception_ptr &e : errori)
    if (e)
      std::rethrow_exception(e);
}
