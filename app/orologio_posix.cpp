// The processor time of the process on POSIX systems: std::clock counts
// every thread of the process there.
#include <ctime>

#include "app/stato.h"

std::int32_t orologio() {
  return static_cast<std::int32_t>(static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC);
}
