// Routines behind ComputeSpectrum, shared between its files. Not for other callers.
#pragma once

#include <cstdint>

namespace spectrum_detail {

// Every butterfly of one stage with 256-bit vectors (spectrum_avx.cpp):
// lower element b + k and upper element b + k + half, b a multiple of
// 2*half, twiddle (twRe[k], twIm[k]); half a multiple of 4. The operations
// and their order are exactly those of the scalar butterfly (no fused
// multiply-add), so every result is the same to the bit.
void ButterflyStageAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* twRe,
                       const double* twIm);
// Two stages, half and 2*half, in one sweep with the same guarantee: the four
// elements b + k + {0, 1, 2, 3}*half pass both stages while in registers, and
// every butterfly sees exactly the values the stage-by-stage loop gives it.
// tw1 is the first stage's twiddle row, tw2 the second's.
void ButterflyStagePairAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* tw1Re,
                           const double* tw1Im, const double* tw2Re, const double* tw2Im);

// Whether this processor and its system run AVX code: asked once.
bool AvxSupported();
// Whether ComputeSpectrum uses the AVX stages: initially AvxSupported().
// Tests switch it to check both paths; it never turns on where AvxSupported()
// is false. Not synchronised: switch it only while no spectrum is computed.
bool AvxEnabled();
void SetAvxEnabled(bool on);

}  // namespace spectrum_detail
