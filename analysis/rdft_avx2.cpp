// AVX2+FMA versions of the hottest rdft stages. rdft_stages.cpp and rdft.cpp
// call them instead of their SSE2 code when avx2Enabled() holds.
//
// This file alone is compiled with -mavx2 -mfma. Everything it defines apart
// from the entry points declared in rdft_internal.h lives in an anonymous
// namespace, and it includes no header with inline functions of its own
// (rdft_complex.h above all): an inline function compiled here would carry
// AVX instructions, and the linker could pick that copy for the SSE2 callers.
//
// Every memory access is unaligned (loadu/storeu): neither the data nor the
// tables are 32-byte aligned, and mingw cannot align AVX spills on its stack.
//
// One 256-bit register holds two complex values, (re, im) of the lower index
// in the low 128-bit lane. The stages run two neighbouring butterflies at once.
// The rounding differs from the SSE2 code (fused products, general products
// where that code multiplies by 1 or by the eighth turns exactly), by a few
// ulps of the result.
#include <immintrin.h>

#include <cstdint>

#include "analysis/rdft_internal.h"

namespace rdft_detail {
namespace {

using V = __m256d;

inline V load(const double* p) { return _mm256_loadu_pd(p); }
inline void store(double* p, V x) { _mm256_storeu_pd(p, x); }
inline V swapReIm(V x) { return _mm256_permute_pd(x, 0b0101); }
inline V dupRe(V t) { return _mm256_movedup_pd(t); }
inline V dupIm(V t) { return _mm256_permute_pd(t, 0b1111); }
inline V flipIm(V x) { return _mm256_xor_pd(x, _mm256_set_pd(-0.0, 0.0, -0.0, 0.0)); }

// z t and z conj(t), t given as its duplicated real and imaginary parts.
inline V mul(V z, V tRe, V tIm) { return _mm256_fmaddsub_pd(z, tRe, _mm256_mul_pd(swapReIm(z), tIm)); }
inline V mulConj(V z, V tRe, V tIm) { return _mm256_fmsubadd_pd(z, tRe, _mm256_mul_pd(swapReIm(z), tIm)); }

// z + i y and z - i y.
inline V plusI(V z, V y) { return _mm256_addsub_pd(z, swapReIm(y)); }
inline V minusI(V z, V y) { return _mm256_add_pd(z, flipIm(swapReIm(y))); }

// Two complex values from two places: `lo` into the low lane, `hi` into the high one.
inline V lanes(__m128d lo, __m128d hi) { return _mm256_insertf128_pd(_mm256_castpd128_pd256(lo), hi, 1); }
inline V lowLanes(V a, V b) { return _mm256_permute2f128_pd(a, b, 0x20); }
inline V highLanes(V a, V b) { return _mm256_permute2f128_pd(a, b, 0x31); }

// The twiddles of a pair of butterflies: w1 = (w1Re, w1Im) and, conjugated,
// w3 (the tables hold cos, -sin of the triple angle).
struct Pair {
    V w1Re, w1Im, w3cRe, w3cIm;
};

// Pair from two table groups t(p) = (w1, conj w3) of 4 doubles each, low lane from tLo.
inline Pair pairOf(V tLo, V tHi) {
    const V w1 = lowLanes(tLo, tHi), w3c = highLanes(tLo, tHi);
    return Pair{dupRe(w1), dupIm(w1), dupRe(w3c), dupIm(w3c)};
}

// Plain butterflies (see rdft_stages.cpp) of the points p, p+1 of a stage over
// S = 4q points. For a mirrored pair the twiddles given are those of q - p and
// q - p - 1, turned into those of p and p + 1 as i conj(w1) and -i conj(w3).
template <bool kConjugate, bool kMirrored>
inline void plainPair(double* a, std::int32_t q, std::int32_t p, const Pair& t) {
    double* x0 = a + 2 * p;
    double* x1 = x0 + 2 * q;
    double* x2 = x1 + 2 * q;
    double* x3 = x2 + 2 * q;
    V z0 = load(x0), z1 = load(x1), z2 = load(x2), z3 = load(x3);
    if (kConjugate) {
        z0 = flipIm(z0);
        z1 = flipIm(z1);
        z2 = flipIm(z2);
        z3 = flipIm(z3);
    }
    const V s02 = _mm256_add_pd(z0, z2), d02 = _mm256_sub_pd(z0, z2);
    const V s13 = _mm256_add_pd(z1, z3), d13 = _mm256_sub_pd(z1, z3);
    store(x0, _mm256_add_pd(s02, s13));
    store(x1, _mm256_sub_pd(s02, s13));
    const V y2 = plusI(d02, d13), y3 = minusI(d02, d13);
    if (kMirrored) {
        store(x2, mul(y2, t.w1Im, t.w1Re));
        store(x3, mulConj(y3, t.w3cIm, t.w3cRe));
    } else {
        store(x2, mul(y2, t.w1Re, t.w1Im));
        store(x3, mulConj(y3, t.w3cRe, t.w3cIm));
    }
}

// A plain stage over S = 4q points (q >= 4) whose twiddle group g (w1 = W^g,
// w3 = W^3g as one 4-double table group) comes from group(g), 0 <= g <= q/2.
// Each step takes groups g, g+1 for the points g, g+1 and groups g+2, g+1
// for the mirrored points q-g-2, q-g-1.
template <bool kConjugate, typename Group>
inline void plainStage(std::int32_t n, double* a, Group group) {
    const std::int32_t q = n >> 3;
    const std::int32_t eighth = q >> 1;
    V t0 = group(0);
    for (std::int32_t g = 0; g < eighth; g += 2) {
        const V t1 = group(g + 1), t2 = group(g + 2);
        plainPair<kConjugate, false>(a, q, g, pairOf(t0, t1));
        plainPair<kConjugate, true>(a, q, q - g - 2, pairOf(t2, t1));
        t0 = t2;
    }
}

// Group values the tables do not hold: g = 0 (both twiddles 1) and the eighth
// turn (w1 = e^(i pi/4), conj w3 = conj e^(3 i pi/4)).
inline V unitGroup() { return _mm256_set_pd(0.0, 1.0, 0.0, 1.0); }
inline V eighthGroup(double c4) { return _mm256_set_pd(-c4, -c4, c4, c4); }

template <bool kConjugate>
void firstStage(std::int32_t n, double* a, const double* w) {
    // The level holds only the even groups; an odd one is the sum of its two
    // neighbours times 0.5/cos(2 pi/S) (w1) or 0.5/cos(6 pi/S) (w3).
    const std::int32_t eighth = n >> 4;
    const double c4 = w[1];
    const V interp = _mm256_set_pd(w[3], w[3], w[2], w[2]);
    auto even = [&](std::int32_t g) {
        if (g == 0) return unitGroup();
        if (g == eighth) return eighthGroup(c4);
        return load(w + 2 * g);
    };
    auto group = [&](std::int32_t g) {
        if ((g & 1) == 0) return even(g);
        return _mm256_mul_pd(_mm256_add_pd(even(g - 1), even(g + 1)), interp);
    };
    plainStage<kConjugate>(n, a, group);
}

// An odd stage over S = 4q points with the level of 4S points (groups g < q,
// group q being the eighth turn). Butterfly p takes group p and, mirrored,
// group q - p.
void oddStage(std::int32_t n, double* a, const double* w) {
    const std::int32_t q = n >> 3;
    const double c4 = w[1];
    auto group = [&](std::int32_t g) {
        if (g == 0) return unitGroup();
        if (g == q) return eighthGroup(c4);
        return load(w + 4 * g);
    };
    for (std::int32_t p = 0; p < q; p += 2) {
        const Pair v = pairOf(group(p), group(p + 1));
        const Pair vq = pairOf(group(q - p), group(q - p - 1));
        double* x0 = a + 2 * p;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        const V z0 = load(x0), z1 = load(x1), z2 = load(x2), z3 = load(x3);
        const V u0 = mul(plusI(z0, z2), v.w1Re, v.w1Im);
        const V u1 = mul(plusI(z1, z3), vq.w1Im, vq.w1Re);
        const V t0 = mulConj(minusI(z0, z2), v.w3cRe, v.w3cIm);
        const V t1 = mulConj(minusI(z1, z3), vq.w3cIm, vq.w3cRe);
        store(x0, _mm256_add_pd(u0, u1));
        store(x1, _mm256_sub_pd(u0, u1));
        store(x2, _mm256_add_pd(t0, t1));
        store(x3, _mm256_sub_pd(t0, t1));
    }
}

// Real split (see rdft.cpp), four steps j, j+2, j+4, j+6 at a time in split
// lanes ordered (j, j+4, j+2, j+6), which is what unpacking two registers of
// two complex values each gives. The lower partners k = n - j, k-2, k-4, k-6
// are gathered in the same order from 128-bit halves. Returns the first step
// left for the caller: fewer than four remain.
template <bool kForward, bool kUnitStride>
std::int32_t realSplitSteps(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    const std::int32_t m = n >> 1;
    const std::int32_t ks = kUnitStride ? 1 : 2 * nc / m;
    const V half = _mm256_set1_pd(0.5);
    std::int32_t kk = ks;
    std::int32_t j = 2;
    for (; j + 6 < m; j += 8, kk += 4 * ks) {
        const std::int32_t k = n - j;
        V cosines, sines;
        if (kUnitStride) {
            sines = _mm256_permute4x64_pd(_mm256_loadu_pd(c + kk), 0b11011000);
            cosines = _mm256_permute4x64_pd(_mm256_loadu_pd(c + nc - kk - 3), 0b00100111);
        } else {
            sines = _mm256_set_pd(c[kk + 3 * ks], c[kk + ks], c[kk + 2 * ks], c[kk]);
            cosines = _mm256_set_pd(c[nc - kk - 3 * ks], c[nc - kk - ks], c[nc - kk - 2 * ks], c[nc - kk]);
        }
        const V wr = _mm256_sub_pd(half, cosines);
        const V wi = sines;
        const V upper0 = load(a + j), upper1 = load(a + j + 4);
        const V lower0 = lanes(_mm_loadu_pd(a + k), _mm_loadu_pd(a + k - 2));
        const V lower1 = lanes(_mm_loadu_pd(a + k - 4), _mm_loadu_pd(a + k - 6));
        V ur = _mm256_unpacklo_pd(upper0, upper1), ui = _mm256_unpackhi_pd(upper0, upper1);
        V lr = _mm256_unpacklo_pd(lower0, lower1), li = _mm256_unpackhi_pd(lower0, lower1);
        const V xr = _mm256_sub_pd(ur, lr), xi = _mm256_add_pd(ui, li);
        const V yr = kForward ? _mm256_fmsub_pd(wr, xr, _mm256_mul_pd(wi, xi))
                              : _mm256_fmadd_pd(wr, xr, _mm256_mul_pd(wi, xi));
        const V yi = kForward ? _mm256_fmadd_pd(wr, xi, _mm256_mul_pd(wi, xr))
                              : _mm256_fmsub_pd(wr, xi, _mm256_mul_pd(wi, xr));
        ur = _mm256_sub_pd(ur, yr);
        ui = _mm256_sub_pd(ui, yi);
        lr = _mm256_add_pd(lr, yr);
        li = _mm256_sub_pd(li, yi);
        store(a + j, _mm256_unpacklo_pd(ur, ui));
        store(a + j + 4, _mm256_unpackhi_pd(ur, ui));
        const V l0 = _mm256_unpacklo_pd(lr, li), l1 = _mm256_unpackhi_pd(lr, li);
        _mm_storeu_pd(a + k, _mm256_castpd256_pd128(l0));
        _mm_storeu_pd(a + k - 2, _mm256_extractf128_pd(l0, 1));
        _mm_storeu_pd(a + k - 4, _mm256_castpd256_pd128(l1));
        _mm_storeu_pd(a + k - 6, _mm256_extractf128_pd(l1, 1));
    }
    return j;
}

template <bool kForward>
std::int32_t realSplit(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    return 2 * nc == (n >> 1) ? realSplitSteps<kForward, true>(n, a, nc, c)
                              : realSplitSteps<kForward, false>(n, a, nc, c);
}

}  // namespace

void cftf1stAvx2(std::int32_t n, double* a, const double* w) { firstStage<false>(n, a, w); }

void cftb1stAvx2(std::int32_t n, double* a, const double* w) { firstStage<true>(n, a, w); }

void cftmdl1Avx2(std::int32_t n, double* a, const double* w) {
    const std::int32_t eighth = n >> 4;
    const double c4 = w[1];
    plainStage<false>(n, a, [&](std::int32_t g) {
        if (g == 0) return unitGroup();
        if (g == eighth) return eighthGroup(c4);
        return load(w + 4 * g);
    });
}

void cftmdl2Avx2(std::int32_t n, double* a, const double* w) { oddStage(n, a, w); }

std::int32_t rftfsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    return realSplit<true>(n, a, nc, c);
}

std::int32_t rftbsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    return realSplit<false>(n, a, nc, c);
}

}  // namespace rdft_detail
