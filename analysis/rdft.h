// Split-radix real FFT: an in-place, table-driven real DFT of a power-of-two
// number of doubles, decimation in frequency, with lazily built tables.
//
//   rdft(n, isgn, a, ip, w)
//
// n     number of doubles in `a`, a power of two, 4 <= n <= kRdftMaxLength.
// isgn  >= 0: forward; < 0: backward.
// a     the data, transformed in place.
// ip    integer work table: ip[0] = number of twiddle entries built (nw),
//       ip[1] = number of cosine entries built (nc), ip[2...] bit-reversal
//       offsets. All zero before the first call (nothing built yet). Needs at
//       least kRdftIndexEntries entries.
// w     double work table: w[0 .. nw) twiddles of the complex transform,
//       w[nw .. nw + nc) cosines of the real pre/post-processing. Needs n/2
//       entries for the largest n ever passed with this `ip`.
//
// Tables are built for the largest n seen so far and serve every smaller n;
// a larger n rebuilds both. `ip` and `w` belong together: pass the same pair
// on every call. No allocation, no trigonometric calls once the tables exist.
//
// Packed layout of the forward result, with
//   R[k] = sum_j a[j] cos(2 pi j k / n),  0 <= k <= n/2,
//   I[k] = sum_j a[j] sin(2 pi j k / n),  0 <  k <  n/2:
//   a[0] = R[0], a[1] = R[n/2], a[2k] = R[k], a[2k+1] = I[k] (0 < k < n/2).
// I carries +sin: it is the negative of the usual DFT's imaginary part.
//
// The backward transform reads the same layout and returns
//   a[j] = (R[0] + R[n/2] cos(pi j)) / 2
//          + sum_{k=1}^{n/2-1} (R[k] cos(2 pi j k / n) + I[k] sin(2 pi j k / n)),
// unscaled: backward after forward gives n/2 times the input.
//
// Threads: not re-entrant for one (ip, w) pair; a pair belongs to one thread.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kRdftMaxLength = 32768;
// 2 header entries + the largest bit-reversal offset layer (2^floor(log2(n/2)/2)).
inline constexpr std::int32_t kRdftIndexEntries = 2 + 128;

void rdft(std::int32_t n, std::int32_t isgn, double* a, std::int32_t* ip, double* w);
