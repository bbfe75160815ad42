// Butterfly stages of the complex transform behind rdft(): the first stage,
// the cache-blocked middle stages and the 16- and 8-point kernels.
// Block kinds (plain / odd) and the twiddle levels are described in
// rdft_internal.h.
#include <cstdint>

#include "analysis/rdft_complex.h"
#include "analysis/rdft_internal.h"
#include "analysis/rdft_leaf.h"

namespace rdft_detail {
namespace {

// Group g of a twiddle level: (cos, sin) of its angle and of three times it.
inline Cx groupW1(const double* w, std::int32_t g) { return load(w + 4 * g); }
inline Cx groupW3(const double* w, std::int32_t g) { return conj(load(w + 4 * g + 2)); }

// Twiddles known at compile time: multiplying by them costs less than a
// general complex product. kUnit is 1; Eighth is e^(i pi/4) = c4 (1 + i),
// ThreeEighths e^(3 i pi/4) = c4 (-1 + i), with c4 = cos(pi/4).
struct Unit {};
struct Eighth {
    double c4;
};
struct ThreeEighths {
    double c4;
};
constexpr Unit kUnit;

inline Cx operator*(Unit, Cx z) { return z; }
inline Cx operator*(Eighth t, Cx z) { return (z + timesI(z)) * t.c4; }
inline Cx operator*(ThreeEighths t, Cx z) { return (timesI(z) - z) * t.c4; }

// One butterfly of a plain stage over S = 4q points: from the four points
// p, p+q, p+2q, p+3q to, in place, the inputs of the four quarter transforms
// (plain: outputs 4k; odd: 4k+2; plain twiddled by w1: 4k+1; by w3: 4k+3).
// kConjugate reads the inputs conjugated (first stage of the backward
// transform).
template <bool kConjugate = false, typename W1 = Cx, typename W3 = Cx>
inline void plainButterfly(double* a, std::int32_t q, std::int32_t p, W1 w1, W3 w3) {
    double* x0 = a + 2 * p;
    double* x1 = x0 + 2 * q;
    double* x2 = x1 + 2 * q;
    double* x3 = x2 + 2 * q;
    Cx z0 = load(x0), z1 = load(x1), z2 = load(x2), z3 = load(x3);
    if (kConjugate) {
        z0 = conj(z0);
        z1 = conj(z1);
        z2 = conj(z2);
        z3 = conj(z3);
    }
    const Cx s02 = z0 + z2, d02 = z0 - z2, s13 = z1 + z3, d13 = z1 - z3;
    store(x0, s02 + s13);
    store(x1, s02 - s13);
    store(x2, w1 * (d02 + timesI(d13)));
    store(x3, w3 * (d02 - timesI(d13)));
}

// One butterfly of an odd stage over S = 4q points, V = e^(2 pi i / 2S):
// v1 = V^p, v1q = V^(p+q), v3 = V^3p, v3q = V^3(p+q). The halves
// x[p] +- i x[p+2q] are twiddled into two plain transforms of 2q points,
// each split at once into its even (plain) and odd quarter.
template <typename V1 = Cx, typename V1q = Cx, typename V3 = Cx, typename V3q = Cx>
inline void oddButterfly(double* a, std::int32_t q, std::int32_t p, V1 v1, V1q v1q, V3 v3, V3q v3q) {
    double* x0 = a + 2 * p;
    double* x1 = x0 + 2 * q;
    double* x2 = x1 + 2 * q;
    double* x3 = x2 + 2 * q;
    const Cx z0 = load(x0), z1 = load(x1), z2 = load(x2), z3 = load(x3);
    const Cx u0 = v1 * (z0 + timesI(z2)), u1 = v1q * (z1 + timesI(z3));
    const Cx t0 = v3 * (z0 - timesI(z2)), t1 = v3q * (z1 - timesI(z3));
    store(x0, u0 + u1);
    store(x1, u0 - u1);
    store(x2, t0 + t1);
    store(x3, t0 - t1);
}

const Cx kOne{1, 0};

// Plain and odd transforms of 4 and 2 points, outputs in bit-reversed order.
inline void plain4(double* a) {
    const Cx z0 = load(a), z1 = load(a + 2), z2 = load(a + 4), z3 = load(a + 6);
    const Cx s02 = z0 + z2, d02 = z0 - z2, s13 = z1 + z3, d13 = z1 - z3;
    store(a, s02 + s13);
    store(a + 2, s02 - s13);
    store(a + 4, d02 + timesI(d13));
    store(a + 6, d02 - timesI(d13));
}

inline void odd4(double* a, double c4) {
    const Cx z0 = load(a), z1 = load(a + 2), z2 = load(a + 4), z3 = load(a + 6);
    const Cx u0 = z0 + timesI(z2), u1 = Eighth{c4} * (z1 + timesI(z3));
    const Cx t0 = z0 - timesI(z2), t1 = ThreeEighths{c4} * (z1 - timesI(z3));
    store(a, u0 + u1);
    store(a + 2, u0 - u1);
    store(a + 4, t0 + t1);
    store(a + 6, t0 - t1);
}

inline void plain2(double* a) {
    const Cx z0 = load(a), z1 = load(a + 2);
    store(a, z0 + z1);
    store(a + 2, z0 - z1);
}

inline void odd2(double* a) {
    const Cx z0 = load(a), z1 = load(a + 2);
    store(a, z0 + timesI(z1));
    store(a + 2, z0 - timesI(z1));
}

// First stage over the whole array (S = n/2 points) with the level of S
// points: it stores only even powers of W = e^(2 pi i / S); the odd ones are
// W^p = (W^(p-1) + W^(p+1)) * 0.5/cos(2 pi/S), and likewise for W^3p.
template <bool kConjugate>
void firstStage(std::int32_t n, double* a, const double* w) {
    const std::int32_t q = n >> 3;        // quarter, complex points
    const std::int32_t eighth = q >> 1;   // W^eighth = e^(i pi/4)
    const double c4 = w[1];
    const double interp1 = w[2];
    const double interp3 = w[3];
    auto even1 = [&](std::int32_t p) { return p == eighth ? Cx{c4, c4} : groupW1(w, p >> 1); };
    auto even3 = [&](std::int32_t p) { return p == eighth ? Cx{-c4, c4} : groupW3(w, p >> 1); };
    Cx w1 = kOne, w3 = kOne;
    for (std::int32_t p = 0; p < eighth; p += 2) {
        const Cx next1 = even1(p + 2), next3 = even3(p + 2);
        const Cx odd1 = (w1 + next1) * interp1, odd3 = (w3 + next3) * interp3;
        plainButterfly<kConjugate>(a, q, p, w1, w3);
        if (p > 0) plainButterfly<kConjugate>(a, q, q - p, mirror1(w1), mirror3(w3));
        plainButterfly<kConjugate>(a, q, p + 1, odd1, odd3);
        plainButterfly<kConjugate>(a, q, q - p - 1, mirror1(odd1), mirror3(odd3));
        w1 = next1;
        w3 = next3;
    }
    plainButterfly<kConjugate>(a, q, eighth, Eighth{c4}, ThreeEighths{c4});
}

}  // namespace

void cftf1st(std::int32_t n, double* a, const double* w) {
    if (Avx2Enabled()) return cftf1stAvx2(n, a, w);
    firstStage<false>(n, a, w);
}

void cftb1st(std::int32_t n, double* a, const double* w) {
    if (Avx2Enabled()) return cftb1stAvx2(n, a, w);
    firstStage<true>(n, a, w);
}

// Plain stage over n doubles (S = n/2 points) with the level of 2S points,
// which holds W^g and W^3g directly for g < S/8.
void cftmdl1(std::int32_t n, double* a, const double* w) {
    if (Avx2Enabled()) return cftmdl1Avx2(n, a, w);
    const std::int32_t q = n >> 3;
    const std::int32_t eighth = q >> 1;
    const double c4 = w[1];
    plainButterfly(a, q, 0, kUnit, kUnit);
    for (std::int32_t g = 1; g < eighth; g++) {
        const Cx w1 = groupW1(w, g), w3 = groupW3(w, g);
        plainButterfly(a, q, g, w1, w3);
        plainButterfly(a, q, q - g, mirror1(w1), mirror3(w3));
    }
    plainButterfly(a, q, eighth, Eighth{c4}, ThreeEighths{c4});
}

// Odd stage over n doubles (S = n/2 points) with the level of 4S points,
// which holds V^g and V^3g (V = e^(2 pi i / 2S)) directly for g < S/4.
void cftmdl2(std::int32_t n, double* a, const double* w) {
    if (Avx2Enabled()) return cftmdl2Avx2(n, a, w);
    const std::int32_t q = n >> 3;
    const double c4 = w[1];
    oddButterfly(a, q, 0, kUnit, Eighth{c4}, kUnit, ThreeEighths{c4});
    for (std::int32_t p = 1; p < q; p++) {
        const std::int32_t r = q - p;
        oddButterfly(a, q, p, groupW1(w, p), mirror1(groupW1(w, r)), groupW3(w, p), mirror3(groupW3(w, r)));
    }
}

void cftrec4(std::int32_t n, double* a, std::int32_t nw, const double* w) {
    std::int32_t m = n;
    while (m > 512) {
        m >>= 2;
        cftmdl1(m, &a[n - m], &w[nw - (m >> 1)]);
    }
    cftleaf(m, 1, &a[n - m], nw, w);
    std::int32_t k = 0;
    for (std::int32_t j = n - m; j > 0; j -= m) {
        k++;
        const std::int32_t isplt = cfttree(m, j, k, a, nw, w);
        cftleaf(m, isplt, &a[j - m], nw, w);
    }
}

// Runs the stages that the leaf block ending at j still lacks: its own, and
// when it is the last quarter of larger blocks, theirs first. Returns 1 when
// the leaf is a plain block, 0 when it is odd.
std::int32_t cfttree(std::int32_t m, std::int32_t j, std::int32_t k, double* a, std::int32_t nw, const double* w) {
    std::int32_t isplt;
    if ((k & 3) != 0) {
        isplt = k & 1;
        if (isplt != 0) {
            cftmdl1(m, &a[j - m], &w[nw - (m >> 1)]);
        } else {
            cftmdl2(m, &a[j - m], &w[nw - m]);
        }
    } else {
        std::int32_t size = m;
        std::int32_t i = k;
        while ((i & 3) == 0) {
            size <<= 2;
            i >>= 2;
        }
        isplt = i & 1;
        for (; size > 128; size >>= 2) {
            if (isplt != 0) {
                cftmdl1(size, &a[j - size], &w[nw - (size >> 1)]);
            } else {
                cftmdl2(size, &a[j - size], &w[nw - size]);
            }
        }
    }
    return isplt;
}

namespace {

// The SSE2 routines of a leaf, for runLeaf.
struct LeafRoutines {
    static void plainStage(std::int32_t n, double* a, const double* w) { cftmdl1(n, a, w); }
    static void oddStage(std::int32_t n, double* a, const double* w) { cftmdl2(n, a, w); }
    static void plain16(double* a, const double* w) { cftf161(a, w); }
    static void odd16(double* a, const double* w) { cftf162(a, w); }
    static void plain8(double* a, const double* w) { cftf081(a, w); }
    static void odd8(double* a, const double* w) { cftf082(a, w); }
};

}  // namespace

void cftleaf(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w) {
    if (Avx2Enabled()) return cftleafAvx2(m, isplt, a, nw, w);
    runLeaf<LeafRoutines>(m, isplt, a, nw, w);
}

void cftfx41(std::int32_t n, double* a, std::int32_t nw, const double* w) {
    if (n == 128) {
        cftf161(a, &w[nw - 8]);
        cftf162(&a[32], &w[nw - 32]);
        cftf161(&a[64], &w[nw - 8]);
        cftf161(&a[96], &w[nw - 8]);
    } else {
        cftf081(a, &w[nw - 8]);
        cftf082(&a[16], &w[nw - 8]);
        cftf081(&a[32], &w[nw - 8]);
        cftf081(&a[48], &w[nw - 8]);
    }
}

// Plain 16-point transform; w is the level of 16 points:
// [1] = cos(pi/4), [2], [3] = cos(pi/8), sin(pi/8).
void cftf161(double* a, const double* w) {
    if (Avx2Enabled()) return cftf161Avx2(a, w);
    const double c4 = w[1], c8 = w[2], s8 = w[3];
    plainButterfly(a, 4, 0, kUnit, kUnit);
    plainButterfly(a, 4, 1, Cx{c8, s8}, Cx{s8, c8});
    plainButterfly(a, 4, 2, Eighth{c4}, ThreeEighths{c4});
    plainButterfly(a, 4, 3, Cx{s8, c8}, Cx{-c8, -s8});
    plain4(a);
    odd4(a + 8, c4);
    plain4(a + 16);
    plain4(a + 24);
}

// Odd 16-point transform (V = e^(2 pi i / 32)); w is the level of 64 points.
void cftf162(double* a, const double* w) {
    if (Avx2Enabled()) return cftf162Avx2(a, w);
    cftmdl2(32, a, w);
    const double c4 = w[1];
    plain4(a);
    odd4(a + 8, c4);
    plain4(a + 16);
    odd4(a + 24, c4);
}

// Plain 8-point transform; reads only w[1] = cos(pi/4).
void cftf081(double* a, const double* w) {
    if (Avx2Enabled()) return cftf081Avx2(a, w);
    const double c4 = w[1];
    plainButterfly(a, 2, 0, kUnit, kUnit);
    plainButterfly(a, 2, 1, Eighth{c4}, ThreeEighths{c4});
    plain2(a);
    odd2(a + 4);
    plain2(a + 8);
    plain2(a + 12);
}

// Odd 8-point transform (V = e^(2 pi i / 16)); w is the level of 16 points.
void cftf082(double* a, const double* w) {
    if (Avx2Enabled()) return cftf082Avx2(a, w);
    const double c4 = w[1], c8 = w[2], s8 = w[3];
    oddButterfly(a, 2, 0, kUnit, Eighth{c4}, kUnit, ThreeEighths{c4});
    oddButterfly(a, 2, 1, Cx{c8, s8}, Cx{s8, c8}, Cx{s8, c8}, Cx{-c8, -s8});
    plain2(a);
    odd2(a + 4);
    plain2(a + 8);
    odd2(a + 12);
}

// 4-point transforms in natural order, forward (e^+) and backward (e^-).
void cftf040(double* a) {
    plain4(a);
    const Cx x2 = load(a + 2);
    store(a + 2, load(a + 4));
    store(a + 4, x2);
}

void cftb040(double* a) {
    plain4(a);
    const Cx x2 = load(a + 2), x1 = load(a + 4), x3 = load(a + 6);
    store(a + 2, x3);
    store(a + 4, x2);
    store(a + 6, x1);
}

void cftx020(double* a) { plain2(a); }

}  // namespace rdft_detail
