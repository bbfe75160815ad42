// Spectrum path: a radix-2 complex FFT of the windowed frame and a level per
// bin.
//
// ComputeSpectrum, with N = 2^log2Length of the Analyzer:
//   outRe[k], 0 <= k < N/2: the level of bin k (frequency k * sampleRate / N)
//   as 20 * ln|X[k]|, X[f] = sum_j x[j] e^(-2 pi i f j / N), unnormalised (no
//   division by N, no window-gain correction); a bin of zero magnitude gives
//   -infinity. binPower[k] holds |X[k]|^2, the power the level is taken of
//   (averaging and bands sum powers, never levels).
//   outRe[N/2, N) and outIm[0, N) keep the transform's other
//   values; imagInput is all zero afterwards.
// The butterflies carry their twiddle by a rotation recurrence from the angle
// 3.14159265 / half of each stage; the results are exactly those of the plain
// stage-by-stage loop (the caches, the vectorised loops and the two-stage
// sweeps only reorder butterflies; each still sees the same inputs). Where the
// processor has AVX, the stages from half 4 on run four twiddles at a time.
// No allocation; frame-loop thread.
#pragma once

#include <cstdint>

struct Analyzer;

// Writes the bit-reversal permutation of 0 ... n-1 (n a power of two) into t[0, n).
void BitReverseTable(std::int32_t n, std::int32_t* t);

// Rebuilds the bit-reversal and stage-twiddle caches for frameLength
// (called by SetupAnalyzer).
void BuildSpectrumTables(Analyzer& an);

void ComputeSpectrum(Analyzer& an);
