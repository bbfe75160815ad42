// Routines behind rdft(), shared between its files. Not for other callers.
//
// Complex data is interleaved (re, im) in a double array; "size" arguments
// count doubles. The complex transform computed by cftfsub has the kernel
// e^(+2 pi i j k / M) (M = n/2 complex points), cftbsub the kernel e^(-...).
//
// The middle stages work on a 4-ary tree of blocks. A block is either
//  - plain: its data is the input of an ordinary DFT of its length, or
//  - odd:   its data x feeds Y[k] = sum_p x[p] V^(p (2k + 1)), V = e^(2 pi i / (2S)),
//           the odd-frequency half of a transform twice as long.
// One stage turns a block into four quarter blocks, plain, odd, plain, and
// plain (after cftmdl1) or odd (after cftmdl2), whose outputs land in
// bit-reversed order; the final bitrv2 restores natural order.
//
// Twiddle table `w` (built by makewt) is a stack of levels. The level for a
// transform of C points starts at w + nw - C/2 and holds C/4 doubles:
//   [0] 1, [1] cos(pi/4),
//   [2], [3] 0.5/cos(2 pi/C), 0.5/cos(6 pi/C)  (C > 16)  or cos(pi/8), sin(pi/8)  (C = 16),
//   [4g .. 4g+3], 1 <= g < C/16: cos, sin of 2 pi (2g)/C; cos, -sin of 3 times that angle.
#pragma once

#include <cstdint>

namespace rdft_detail {

// The routines keep the short names of the transform's own vocabulary:
// make* build tables, cft* are complex-transform steps (f forward, b backward,
// x either way), rft* the real-data steps, bitrv* the bit-reversal
// permutations; digits give the size of a fixed kernel in complex points
// ("161" is 16 points, plain block; "162" 16 points, odd block).
//
// Tables:
//  makewt   the twiddle levels of `w` for nw entries (layout above), then
//           makeipt's offsets.
//  makeipt  the bit-reversal offset layer ip[2 ...] (see bitLayout).
//  makect   nc cosines for the real split, at cs = w + nw.
// Drivers:
//  cftfsub  the forward complex transform of n doubles: first stage, middle
//  cftbsub  stages, leaves, permutation (cftbsub: conjugated kernel).
//  rftfsub  the real split after the forward complex transform (n/2 complex
//  rftbsub  points become the real spectrum of n) and before the backward one.
// Stages:
//  cftf1st  the first radix-4 stage over the whole array (cftb1st conjugates
//  cftb1st  the input on the way), leaving one plain and three quarter blocks.
//  cftrec4  the middle stages for n > 512: the tree of blocks depth first,
//           each leaf (256 or 512 doubles) as soon as its stages have run.
//  cfttree  see its definition: the stages a leaf still lacks.
//  cftleaf  a leaf of 256 or 512 doubles, plain or odd (isplt 1 or 0), by
//           the fixed kernels.
//  cftmdl1  one middle stage of a plain block: four quarter blocks.
//  cftmdl2  the same for an odd block.
//  cftfx41  the stages of a whole transform of 64 or 128 doubles.
// Fixed kernels, in place on one block:
//  cftf161 / cftf162  16 points, plain / odd;  cftf081 / cftf082  8 points;
//  cftf040 / cftb040  4 points forward / backward;  cftx020  2 points.
// Permutations:
//  bitrv2      bit reversal of n/2 complex points (forward transform);
//  bitrv2conj  the same, conjugating (backward);
//  bitrv216, bitrv208 (…neg: conjugating)  the fixed 16- and 8-point ones.

void makewt(std::int32_t nw, std::int32_t* ip, double* w);
void makeipt(std::int32_t nw, std::int32_t* ip);
void makect(std::int32_t nc, std::int32_t* ip, double* cs);

void cftfsub(std::int32_t n, double* a, const std::int32_t* ip, std::int32_t nw, const double* w);
void cftbsub(std::int32_t n, double* a, const std::int32_t* ip, std::int32_t nw, const double* w);
void rftfsub(std::int32_t n, double* a, std::int32_t nc, const double* c);
void rftbsub(std::int32_t n, double* a, std::int32_t nc, const double* c);

void cftf1st(std::int32_t n, double* a, const double* w);
void cftb1st(std::int32_t n, double* a, const double* w);
void cftrec4(std::int32_t n, double* a, std::int32_t nw, const double* w);
std::int32_t cfttree(std::int32_t m, std::int32_t j, std::int32_t k, double* a, std::int32_t nw, const double* w);
void cftleaf(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w);
void cftmdl1(std::int32_t n, double* a, const double* w);
void cftmdl2(std::int32_t n, double* a, const double* w);
void cftfx41(std::int32_t n, double* a, std::int32_t nw, const double* w);

void cftf161(double* a, const double* w);
void cftf162(double* a, const double* w);
void cftf081(double* a, const double* w);
void cftf082(double* a, const double* w);
void cftf040(double* a);
void cftb040(double* a);
void cftx020(double* a);

// AVX2+FMA versions (rdft_avx2.cpp) of the routines above and of the bit
// reversals below, same arguments.
// The real splits run groups of four steps and return the first step j
// (a[j], a[j+1]) they left for the SSE2 code, with fewer than four to go.
// The SSE2 entry points call them themselves while Avx2Enabled() holds.
void cftf1stAvx2(std::int32_t n, double* a, const double* w);
void cftb1stAvx2(std::int32_t n, double* a, const double* w);
void cftmdl1Avx2(std::int32_t n, double* a, const double* w);
void cftmdl2Avx2(std::int32_t n, double* a, const double* w);
void cftleafAvx2(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w);
void cftf161Avx2(double* a, const double* w);
void cftf162Avx2(double* a, const double* w);
void cftf081Avx2(double* a, const double* w);
void cftf082Avx2(double* a, const double* w);
std::int32_t rftfsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c);
std::int32_t rftbsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c);
void bitrv2Avx2(std::int32_t n, const std::int32_t* ip, double* a);
void bitrv2conjAvx2(std::int32_t n, const std::int32_t* ip, double* a);

// Whether this processor and its system run AVX2 and FMA code: asked once.
bool Avx2Supported();
// Whether the AVX2 code runs: initially Avx2Supported(). Tests switch it to
// compare the two paths; it never turns on where Avx2Supported() is false.
// Not synchronised: switch it only while no transform runs.
bool Avx2Enabled();
void SetAvx2Enabled(bool on);

// The offset layer that makeipt built for a transform of n doubles: its
// length m = 2^k, so that the complex index of log2(n/2) bits splits into
// k high bits, d = log2(n/2) - 2k (3 or 4) middle bits and k low bits.
struct BitLayout {
    std::int32_t m;
    std::int32_t k;
    std::int32_t d;
};
BitLayout bitLayout(std::int32_t n);

void bitrv2(std::int32_t n, const std::int32_t* ip, double* a);
void bitrv2conj(std::int32_t n, const std::int32_t* ip, double* a);
void bitrv216(double* a);
void bitrv216neg(double* a);
void bitrv208(double* a);
void bitrv208neg(double* a);

}  // namespace rdft_detail
