// A line of up to 128 cells (or values) as two machine words, and the few
// bit operations the solver needs on it.
#pragma once

#include <bit>
#include <cstdint>

struct Riga {
  std::uint64_t w[2] = {0, 0};
};

inline bool vuota(const Riga &r) {
  return (r.w[0] | r.w[1]) == 0;
}
inline int conta(const Riga &r) {
  return std::popcount(r.w[0]) + std::popcount(r.w[1]);
}
// Exactly one bit set.  Written with a shift rather than x & (x - 1), which
// compilers turn into a population count (a library call on plain x86).
inline bool unico(const Riga &r) {
  const std::uint64_t a = r.w[0], b = r.w[1];
  return a != 0 ? b == 0 && (a >> std::countr_zero(a)) == 1
                : b != 0 && (b >> std::countr_zero(b)) == 1;
}
inline bool ha(const Riga &r, int k) {
  return (r.w[k >> 6] >> (k & 63)) & 1u;
}
inline void metti(Riga &r, int k) {
  r.w[k >> 6] |= std::uint64_t{1} << (k & 63);
}
inline void togli(Riga &r, int k) {
  r.w[k >> 6] &= ~(std::uint64_t{1} << (k & 63));
}

inline Riga operator&(const Riga &a, const Riga &b) {
  return {{a.w[0] & b.w[0], a.w[1] & b.w[1]}};
}
inline Riga operator|(const Riga &a, const Riga &b) {
  return {{a.w[0] | b.w[0], a.w[1] | b.w[1]}};
}
inline Riga senza(const Riga &a, const Riga &b) {
  return {{a.w[0] & ~b.w[0], a.w[1] & ~b.w[1]}};
}

// Index of the lowest set bit at or above k, or -1 when there is none.
inline int prossimo(const Riga &r, int k) {
  if (k < 64) {
    const std::uint64_t x = r.w[0] & (~std::uint64_t{0} << k);
    if (x != 0)
      return std::countr_zero(x);
    k = 64;
  }
  if (k >= 128)
    return -1;
  const std::uint64_t x = r.w[1] & (~std::uint64_t{0} << (k - 64));
  return x != 0 ? 64 + std::countr_zero(x) : -1;
}

// Index of the highest set bit at or below k, or -1 when there is none.
inline int precedente(const Riga &r, int k) {
  if (k >= 64) {
    const std::uint64_t x = r.w[1] & (~std::uint64_t{0} >> (127 - k));
    if (x != 0)
      return 127 - std::countl_zero(x);
    k = 63;
  }
  if (k < 0)
    return -1;
  const std::uint64_t x = r.w[0] & (~std::uint64_t{0} >> (63 - k));
  return x != 0 ? 63 - std::countl_zero(x) : -1;
}

// Bits [da, a) set.
inline Riga intervallo(int da, int a) {
  Riga r;
  for (int k = da; k < a; ++k)
    metti(r, k);
  return r;
}
