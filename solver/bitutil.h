// A line of up to 64 * W cells (or values) as W machine words, and the few
// bit operations the solver needs on it.  Grids of side up to 64 use one
// word, larger ones (up to 100) two.
#pragma once

#include <bit>
#include <cstdint>

template <int W> struct RigaDi {
  std::uint64_t w[W] = {};
};
using Riga = RigaDi<2>; // wide enough for any side

template <int W> inline bool vuota(const RigaDi<W> &r) {
  std::uint64_t o = 0;
  for (int k = 0; k < W; ++k)
    o |= r.w[k];
  return o == 0;
}

// The bits set in a word, summed in place by pairs, nibbles and bytes:
// std::popcount is a library call on plain x86-64, which has no
// instruction for it.
inline int contaparola(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555U;
  x = (x & 0x3333333333333333U) + ((x >> 2) & 0x3333333333333333U);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FU;
  return static_cast<int>((x * 0x0101010101010101U) >> 56);
}

template <int W> inline int conta(const RigaDi<W> &r) {
  int c = 0;
  for (int k = 0; k < W; ++k)
    c += contaparola(r.w[k]);
  return c;
}

// Exactly one bit set.  a - 1 is below a ^ (a - 1), the lowest set bit and
// those under it, only when no higher bit is set; for a = 0 both are all
// ones.  No branch (whether a line holds one candidate is seldom
// predictable), and nothing a compiler turns into a population count (a
// library call on plain x86).
inline bool unico(const RigaDi<1> &r) {
  const std::uint64_t a = r.w[0];
  return a - 1 < (a ^ (a - 1));
}
inline bool unico(const RigaDi<2> &r) {
  const std::uint64_t a = r.w[0], b = r.w[1];
  return a != 0 ? b == 0 && (a >> std::countr_zero(a)) == 1
                : b != 0 && (b >> std::countr_zero(b)) == 1;
}

// The word holding bit k (with one word, k < 64: no index to work out).
template <int W> inline std::uint64_t &parola(RigaDi<W> &r, int k) {
  if constexpr (W == 1)
    return r.w[0];
  else
    return r.w[k >> 6];
}
template <int W> inline std::uint64_t parola(const RigaDi<W> &r, int k) {
  return W == 1 ? r.w[0] : r.w[k >> 6];
}

template <int W> inline bool ha(const RigaDi<W> &r, int k) {
  return (parola(r, k) >> (k & 63)) & 1u;
}
template <int W> inline void metti(RigaDi<W> &r, int k) {
  parola(r, k) |= std::uint64_t{1} << (k & 63);
}
template <int W> inline void togli(RigaDi<W> &r, int k) {
  parola(r, k) &= ~(std::uint64_t{1} << (k & 63));
}
// Sets bit k to b.
template <int W> inline void scrivibit(RigaDi<W> &r, int k, bool b) {
  std::uint64_t &p = parola(r, k);
  p = (p & ~(std::uint64_t{1} << (k & 63))) | (std::uint64_t{b} << (k & 63));
}

// Adds value v to a set of values kept as bit v-1 (v up to 64 * W); v = 0,
// an empty cell, adds nothing.  No branch: whether a cell is filled is
// seldom predictable.
template <int W> inline void aggiungivalore(RigaDi<W> &r, int v) {
  const int b = (v - 1) & (64 * W - 1);
  parola(r, b) |= std::uint64_t{v != 0} << (b & 63);
}

template <int W> inline RigaDi<W> operator&(const RigaDi<W> &a, const RigaDi<W> &b) {
  RigaDi<W> r;
  for (int k = 0; k < W; ++k)
    r.w[k] = a.w[k] & b.w[k];
  return r;
}
template <int W> inline RigaDi<W> operator|(const RigaDi<W> &a, const RigaDi<W> &b) {
  RigaDi<W> r;
  for (int k = 0; k < W; ++k)
    r.w[k] = a.w[k] | b.w[k];
  return r;
}
// The bits of a that are not in b.
template <int W> inline RigaDi<W> senza(const RigaDi<W> &a, const RigaDi<W> &b) {
  RigaDi<W> r;
  for (int k = 0; k < W; ++k)
    r.w[k] = a.w[k] & ~b.w[k];
  return r;
}

// Index of the lowest set bit at or above k (k >= 0), or -1 when there is none.
template <int W> inline int prossimo(const RigaDi<W> &r, int k) {
  for (int p = k >> 6; p < W; ++p) {
    const std::uint64_t x = r.w[p] & (~std::uint64_t{0} << (p == (k >> 6) ? (k & 63) : 0));
    if (x != 0)
      return 64 * p + std::countr_zero(x);
  }
  return -1;
}

// Calls f(k) for each set bit k, lowest first.
template <int W, class F> inline void perognibit(const RigaDi<W> &r, F f) {
  for (int p = 0; p < W; ++p)
    for (std::uint64_t x = r.w[p]; x != 0; x &= x - 1)
      f(64 * p + std::countr_zero(x));
}

// Index of the lowest set bit, or -1 when there is none.
template <int W> inline int primo(const RigaDi<W> &r) {
  for (int p = 0; p < W; ++p)
    if (r.w[p] != 0)
      return 64 * p + std::countr_zero(r.w[p]);
  return -1;
}

// The bits of r above k (k < 64 * W).
template <int W> inline RigaDi<W> dopo(const RigaDi<W> &r, int k) {
  RigaDi<W> d;
  if constexpr (W == 1) {
    d.w[0] = r.w[0] & (~std::uint64_t{1} << k);
  } else {
    for (int p = 0; p < W; ++p) {
      const int da = k + 1 - 64 * p; // first bit of word p to keep
      d.w[p] = da <= 0 ? r.w[p] : da >= 64 ? 0 : r.w[p] & (~std::uint64_t{0} << da);
    }
  }
  return d;
}

// Index of the highest set bit at or below k (k < 64 * W), or -1 when there is none.
template <int W> inline int precedente(const RigaDi<W> &r, int k) {
  for (int p = k >> 6; p >= 0; --p) {
    const std::uint64_t x = r.w[p] & (~std::uint64_t{0} >> (p == (k >> 6) ? 63 - (k & 63) : 0));
    if (x != 0)
      return 64 * p + 63 - std::countl_zero(x);
  }
  return -1;
}

// Bits [da, a) set.
template <int W = 2> inline RigaDi<W> intervallo(int da, int a) {
  RigaDi<W> r;
  for (int k = da; k < a; ++k)
    metti(r, k);
  return r;
}

// Every bit set.
template <int W> inline RigaDi<W> tutti() {
  RigaDi<W> r;
  for (int k = 0; k < W; ++k)
    r.w[k] = ~std::uint64_t{0};
  return r;
}
