// AVX2+FMA versions of the hottest rdft routines. rdft_stages.cpp and rdft.cpp
// call them instead of their SSE2 code when Avx2Enabled() holds.
//
// This file alone is compiled with -mavx2 -mfma. Everything it defines apart
// from the entry points declared in rdft_internal.h lives in an anonymous
// namespace, and it includes no header with inline functions of its own
// (rdft_complex.h above all): an inline function compiled here would carry
// AVX instructions, and the linker could pick that copy for the SSE2 callers.
// rdft_leaf.h holds only templates, instantiated here with this file's own
// routines.
//
// Every memory access is unaligned (loadu/storeu): neither the data nor the
// tables are 32-byte aligned, and mingw cannot align AVX spills on its stack.
//
// One 256-bit register holds two complex values, (re, im) of the lower index
// in the low 128-bit lane. The stages run two neighbouring butterflies at once;
// the bit reversal moves four points with four loads and four stores.
// The rounding differs from the SSE2 code (fused products, general products
// where that code multiplies by 1 or by the eighth turns exactly), by a few
// ulps of the result.
#include <immintrin.h>

#include <cstdint>

#include "analysis/rdft_internal.h"
#include "analysis/rdft_leaf.h"

namespace rdft_detail {
namespace {

using V = __m256d;

inline V load(const double* p) { return _mm256_loadu_pd(p); }
inline void store(double* p, V x) { _mm256_storeu_pd(p, x); }
inline V swapReIm(V x) { return _mm256_permute_pd(x, 0b0101); }
inline V dupRe(V t) { return _mm256_movedup_pd(t); }
inline V dupIm(V t) { return _mm256_permute_pd(t, 0b1111); }
inline V flipIm(V x) { return _mm256_xor_pd(x, _mm256_set_pd(-0.0, 0.0, -0.0, 0.0)); }
inline V timesI(V x) { return _mm256_xor_pd(swapReIm(x), _mm256_set_pd(0.0, -0.0, 0.0, -0.0)); }

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

// Group values the tables do not hold: g = 0 (both twiddles 1), the eighth
// turn (w1 = e^(i pi/4), conj w3 = conj e^(3 i pi/4)), and any w1, w3 given.
inline V unitGroup() { return _mm256_set_pd(0.0, 1.0, 0.0, 1.0); }
inline V eighthGroup(double c4) { return _mm256_set_pd(-c4, -c4, c4, c4); }
inline V groupOf(double c1, double s1, double c3, double s3) { return _mm256_set_pd(-s3, c3, s1, c1); }

// Plain butterflies (see rdft_stages.cpp) of two neighbouring points p, p+1
// of a stage over S = 4q points, in registers: z0..z3 hold the points p, p+q,
// p+2q, p+3q (and their right neighbours) and receive the four outputs. For a
// mirrored pair the twiddles given are those of q - p and q - p - 1, turned
// into those of p and p + 1 as i conj(w1) and -i conj(w3).
template <bool kMirrored>
inline void plainRegs(V& z0, V& z1, V& z2, V& z3, const Pair& t) {
    const V s02 = _mm256_add_pd(z0, z2), d02 = _mm256_sub_pd(z0, z2);
    const V s13 = _mm256_add_pd(z1, z3), d13 = _mm256_sub_pd(z1, z3);
    z0 = _mm256_add_pd(s02, s13);
    z1 = _mm256_sub_pd(s02, s13);
    const V y2 = plusI(d02, d13), y3 = minusI(d02, d13);
    if (kMirrored) {
        z2 = mul(y2, t.w1Im, t.w1Re);
        z3 = mulConj(y3, t.w3cIm, t.w3cRe);
    } else {
        z2 = mul(y2, t.w1Re, t.w1Im);
        z3 = mulConj(y3, t.w3cRe, t.w3cIm);
    }
}

// Odd butterflies of the points p, p+1 of a stage over S = 4q points, in
// registers like plainRegs: v holds the twiddle groups of p and p+1, vq those
// of q - p and q - p - 1 (mirrored).
inline void oddRegs(V& z0, V& z1, V& z2, V& z3, const Pair& v, const Pair& vq) {
    const V u0 = mul(plusI(z0, z2), v.w1Re, v.w1Im);
    const V u1 = mul(plusI(z1, z3), vq.w1Im, vq.w1Re);
    const V t0 = mulConj(minusI(z0, z2), v.w3cRe, v.w3cIm);
    const V t1 = mulConj(minusI(z1, z3), vq.w3cIm, vq.w3cRe);
    z0 = _mm256_add_pd(u0, u1);
    z1 = _mm256_sub_pd(u0, u1);
    z2 = _mm256_add_pd(t0, t1);
    z3 = _mm256_sub_pd(t0, t1);
}

// plainRegs on the points of a stage in memory.
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
    plainRegs<kMirrored>(z0, z1, z2, z3, t);
    store(x0, z0);
    store(x1, z1);
    store(x2, z2);
    store(x3, z3);
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
        double* x0 = a + 2 * p;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        V z0 = load(x0), z1 = load(x1), z2 = load(x2), z3 = load(x3);
        oddRegs(z0, z1, z2, z3, pairOf(group(p), group(p + 1)), pairOf(group(q - p), group(q - p - 1)));
        store(x0, z0);
        store(x1, z1);
        store(x2, z2);
        store(x3, z3);
    }
}

// The last two stages of the kernels, within the lanes of one register [x, y]:
// [x + y, x - y] (plain) and [x + i y, x - i y] (odd).
inline V plain2(V r) { return _mm256_fmadd_pd(r, _mm256_set_pd(-1.0, -1.0, 1.0, 1.0), _mm256_permute2f128_pd(r, r, 1)); }
inline V odd2(V r) { return plain2(_mm256_blend_pd(r, timesI(r), 0b1100)); }

// 4-point transforms of the points in p0 (0, 1) and p1 (2, 3), outputs in
// bit-reversed order like plain4 and odd4 in rdft_stages.cpp. `eighths` is
// pairOf(unitGroup(), eighthGroup(c4)).
inline void plain4(V& p0, V& p1) {
    const V s = _mm256_add_pd(p0, p1), d = _mm256_sub_pd(p0, p1);
    p0 = plain2(s);
    p1 = odd2(d);
}

inline void odd4(V& p0, V& p1, const Pair& eighths) {
    const V u = mul(plusI(p0, p1), eighths.w1Re, eighths.w1Im);
    const V t = mulConj(minusI(p0, p1), eighths.w3cRe, eighths.w3cIm);
    p0 = plain2(u);
    p1 = plain2(t);
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

// Plain stage over n doubles with the level of 2S points (groups g < S/8).
inline void plainMiddle(std::int32_t n, double* a, const double* w) {
    const std::int32_t eighth = n >> 4;
    const double c4 = w[1];
    plainStage<false>(n, a, [&](std::int32_t g) {
        if (g == 0) return unitGroup();
        if (g == eighth) return eighthGroup(c4);
        return load(w + 4 * g);
    });
}

// The 16-point kernels hold their block in eight named registers, r_k = points
// 2k, 2k+1: an array of them would go through the stack.
inline void load16(const double* a, V& r0, V& r1, V& r2, V& r3, V& r4, V& r5, V& r6, V& r7) {
    r0 = load(a), r1 = load(a + 4), r2 = load(a + 8), r3 = load(a + 12);
    r4 = load(a + 16), r5 = load(a + 20), r6 = load(a + 24), r7 = load(a + 28);
}

inline void store16(double* a, V r0, V r1, V r2, V r3, V r4, V r5, V r6, V r7) {
    store(a, r0), store(a + 4, r1), store(a + 8, r2), store(a + 12, r3);
    store(a + 16, r4), store(a + 20, r5), store(a + 24, r6), store(a + 28, r7);
}

// Plain 16-point kernel; w is the level of 16 points (c4, then cos, sin of pi/8).
inline void plain16(double* a, const double* w) {
    const double c4 = w[1], c8 = w[2], s8 = w[3];
    const V unit = unitGroup(), eighth = eighthGroup(c4);
    V r0, r1, r2, r3, r4, r5, r6, r7;
    load16(a, r0, r1, r2, r3, r4, r5, r6, r7);
    plainRegs<false>(r0, r2, r4, r6, pairOf(unit, groupOf(c8, s8, s8, c8)));
    plainRegs<false>(r1, r3, r5, r7, pairOf(eighth, groupOf(s8, c8, -c8, -s8)));
    const Pair eighths = pairOf(unit, eighth);
    plain4(r0, r1);
    odd4(r2, r3, eighths);
    plain4(r4, r5);
    plain4(r6, r7);
    store16(a, r0, r1, r2, r3, r4, r5, r6, r7);
}

// Odd 16-point kernel; w is the level of 64 points.
inline void odd16(double* a, const double* w) {
    const double c4 = w[1];
    const V unit = unitGroup(), eighth = eighthGroup(c4);
    const V g1 = load(w + 4), g2 = load(w + 8), g3 = load(w + 12);
    V r0, r1, r2, r3, r4, r5, r6, r7;
    load16(a, r0, r1, r2, r3, r4, r5, r6, r7);
    oddRegs(r0, r2, r4, r6, pairOf(unit, g1), pairOf(eighth, g3));
    oddRegs(r1, r3, r5, r7, pairOf(g2, g3), pairOf(g2, g1));
    const Pair eighths = pairOf(unit, eighth);
    plain4(r0, r1);
    odd4(r2, r3, eighths);
    plain4(r4, r5);
    odd4(r6, r7, eighths);
    store16(a, r0, r1, r2, r3, r4, r5, r6, r7);
}

// Plain 8-point kernel; reads only w[1] = cos(pi/4).
inline void plain8(double* a, const double* w) {
    V z0 = load(a), z1 = load(a + 4), z2 = load(a + 8), z3 = load(a + 12);
    plainRegs<false>(z0, z1, z2, z3, pairOf(unitGroup(), eighthGroup(w[1])));
    store(a, plain2(z0));
    store(a + 4, odd2(z1));
    store(a + 8, plain2(z2));
    store(a + 12, plain2(z3));
}

// Odd 8-point kernel; w is the level of 16 points.
inline void odd8(double* a, const double* w) {
    const double c4 = w[1], c8 = w[2], s8 = w[3];
    const V g1 = groupOf(c8, s8, s8, c8);
    V z0 = load(a), z1 = load(a + 4), z2 = load(a + 8), z3 = load(a + 12);
    oddRegs(z0, z1, z2, z3, pairOf(unitGroup(), g1), pairOf(eighthGroup(c4), g1));
    store(a, plain2(z0));
    store(a + 4, odd2(z1));
    store(a + 8, plain2(z2));
    store(a + 12, odd2(z3));
}

// The AVX2 routines of a leaf, for runLeaf.
struct LeafRoutines {
    static void plainStage(std::int32_t n, double* a, const double* w) { plainMiddle(n, a, w); }
    static void oddStage(std::int32_t n, double* a, const double* w) { rdft_detail::oddStage(n, a, w); }
    static void plain16(double* a, const double* w) { rdft_detail::plain16(a, w); }
    static void odd16(double* a, const double* w) { rdft_detail::odd16(a, w); }
    static void plain8(double* a, const double* w) { rdft_detail::plain8(a, w); }
    static void odd8(double* a, const double* w) { rdft_detail::odd8(a, w); }
};

// Bit reversal (see bitReverseComplex in rdft.cpp) in quads. With N = n/2
// points and r = reverse(c) for an even c below N/2, the points c, c+1, c+N/2,
// c+N/2+1 go to r, r+N/2, r+1, r+N/2+1: two registers of two neighbours each,
// transposed, land as two registers of two neighbours. A quad's base has the
// low part lo even and the high part hi below m/2, and so has its partner's.
inline std::int32_t reverseBits(std::int32_t x, std::int32_t bits) {
    std::int32_t r = 0;
    for (std::int32_t i = 0; i < bits; i++) r |= ((x >> i) & 1) << (bits - 1 - i);
    return r;
}

// The quad at c as its partner stores it: `lo` goes to the partner's base,
// `hi` half = n/2 doubles above. kConjugate negates the imaginary parts.
template <bool kConjugate>
inline void readQuad(const double* a, std::int32_t c, std::int32_t half, V& lo, V& hi) {
    const V x0 = load(a + c), x1 = load(a + c + half);
    lo = lowLanes(x0, x1);
    hi = highLanes(x0, x1);
    if (kConjugate) {
        lo = flipIm(lo);
        hi = flipIm(hi);
    }
}

template <bool kConjugate>
void bitReverseQuads(std::int32_t n, const std::int32_t* ip, double* a) {
    const BitLayout b = bitLayout(n);
    const std::int32_t half = n >> 1;
    const std::int32_t midCount = 1 << b.d;
    const std::int32_t layerShift = b.k + 3;  // ip[m + i] = reverse_k(i) * 8m
    const std::int32_t hiShift = b.k + b.d;
    const std::int32_t midStep = 2 << b.k;
    std::int32_t revMid[16];
    for (std::int32_t mid = 0; mid < midCount; mid++) revMid[mid] = 2 * (reverseBits(mid, b.d) << b.k);
    for (std::int32_t hi = 0; hi < (b.m >> 1); hi++) {
        const std::int32_t revHi = ip[b.m + hi] >> layerShift;
        for (std::int32_t lo = 0; lo < b.m; lo += 2) {
            const std::int32_t revLo = ip[b.m + lo] >> layerShift;
            if (hi > revLo) continue;  // the partner's turn
            const std::int32_t from = 2 * ((hi << hiShift) | lo);
            const std::int32_t to = 2 * ((revLo << hiShift) | revHi);
            for (std::int32_t mid = 0; mid < midCount; mid++) {
                const std::int32_t c = from + mid * midStep;
                const std::int32_t r = to + revMid[mid];
                if (hi == revLo && c > r) continue;
                V cLo, cHi, rLo, rHi;
                readQuad<kConjugate>(a, c, half, cLo, cHi);
                if (c == r) {
                    store(a + c, cLo);
                    store(a + c + half, cHi);
                    continue;
                }
                readQuad<kConjugate>(a, r, half, rLo, rHi);
                store(a + r, cLo);
                store(a + r + half, cHi);
                store(a + c, rLo);
                store(a + c + half, rHi);
            }
        }
    }
}

}  // namespace

void bitrv2Avx2(std::int32_t n, const std::int32_t* ip, double* a) { bitReverseQuads<false>(n, ip, a); }

void bitrv2conjAvx2(std::int32_t n, const std::int32_t* ip, double* a) { bitReverseQuads<true>(n, ip, a); }

void cftf1stAvx2(std::int32_t n, double* a, const double* w) { firstStage<false>(n, a, w); }

void cftb1stAvx2(std::int32_t n, double* a, const double* w) { firstStage<true>(n, a, w); }

void cftmdl1Avx2(std::int32_t n, double* a, const double* w) { plainMiddle(n, a, w); }

void cftmdl2Avx2(std::int32_t n, double* a, const double* w) { oddStage(n, a, w); }

void cftleafAvx2(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w) {
    runLeaf<LeafRoutines>(m, isplt, a, nw, w);
}

void cftf161Avx2(double* a, const double* w) { plain16(a, w); }

void cftf162Avx2(double* a, const double* w) { odd16(a, w); }

void cftf081Avx2(double* a, const double* w) { plain8(a, w); }

void cftf082Avx2(double* a, const double* w) { odd8(a, w); }

std::int32_t rftfsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    return realSplit<true>(n, a, nc, c);
}

std::int32_t rftbsubAvx2(std::int32_t n, double* a, std::int32_t nc, const double* c) {
    return realSplit<false>(n, a, nc, c);
}

}  // namespace rdft_detail
