// rdft entry, its tables, the complex-transform drivers, the real pre- and
// post-processing and the bit-reversal permutations. The butterfly stages are
// in rdft_stages.cpp.
#include "analysis/rdft.h"

#include <cassert>
#include <cmath>

#include "analysis/cpu_features.h"
#include "analysis/rdft_complex.h"
#include "analysis/rdft_internal.h"

namespace rdft_detail {

namespace {

// Zero until dynamic initialisation: a transform run before it takes SSE2.
bool avx2On = Avx2Supported();

}  // namespace

bool Avx2Supported() { return CpuRunsAvx2Fma(); }

bool Avx2Enabled() { return avx2On; }

void SetAvx2Enabled(bool on) { avx2On = on && Avx2Supported(); }

void makewt(std::int32_t nw, std::int32_t* ip, double* w) {
    ip[0] = nw;
    ip[1] = 1;
    if (nw <= 2) return;
    std::int32_t nwh = nw >> 1;
    const double delta = std::atan(1.0) / nwh;
    const double wn4r = std::cos(delta * nwh);
    w[0] = 1;
    w[1] = wn4r;
    if (nwh == 4) {
        w[2] = std::cos(delta * 2);
        w[3] = std::sin(delta * 2);
    } else if (nwh > 4) {
        makeipt(nw, ip);
        w[2] = 0.5 / std::cos(delta * 2);
        w[3] = 0.5 / std::cos(delta * 6);
        for (std::int32_t j = 4; j < nwh; j += 4) {
            w[j] = std::cos(delta * j);
            w[j + 1] = std::sin(delta * j);
            w[j + 2] = std::cos(3 * delta * j);
            w[j + 3] = -std::sin(3 * delta * j);
        }
    }
    // Each smaller level is every other group of the level above it.
    std::int32_t nw0 = 0;
    while (nwh > 2) {
        const std::int32_t nw1 = nw0 + nwh;
        nwh >>= 1;
        w[nw1] = 1;
        w[nw1 + 1] = wn4r;
        if (nwh == 4) {
            w[nw1 + 2] = w[nw0 + 4];
            w[nw1 + 3] = w[nw0 + 5];
        } else if (nwh > 4) {
            w[nw1 + 2] = 0.5 / w[nw0 + 4];
            w[nw1 + 3] = 0.5 / w[nw0 + 6];
            for (std::int32_t j = 4; j < nwh; j += 4) {
                w[nw1 + j] = w[nw0 + 2 * j];
                w[nw1 + j + 1] = w[nw0 + 2 * j + 1];
                w[nw1 + j + 2] = w[nw0 + 2 * j + 2];
                w[nw1 + j + 3] = w[nw0 + 2 * j + 3];
            }
        }
        nw0 = nw1;
    }
}

// Layer m of the offsets (ip[m .. 2m)) holds bitreverse(i) * 8m for i < m,
// each layer built from the one before.
void makeipt(std::int32_t nw, std::int32_t* ip) {
    ip[2] = 0;
    ip[3] = 16;
    std::int32_t m = 2;
    for (std::int32_t l = nw; l > 32; l >>= 2) {
        const std::int32_t m2 = m << 1;
        const std::int32_t q = m2 << 3;
        for (std::int32_t j = m; j < m2; j++) {
            const std::int32_t p = ip[j] << 2;
            ip[m + j] = p;
            ip[m2 + j] = p + q;
        }
        m = m2;
    }
}

void makect(std::int32_t nc, std::int32_t* ip, double* cs) {
    (void)ip;  // the caller has already recorded nc in ip[1]
    const std::int32_t nch = nc >> 1;
    const double delta = std::atan(1.0) / nch;
    cs[0] = std::cos(delta * nch);
    cs[nch] = 0.5 * cs[0];
    for (std::int32_t j = 1; j < nch; j++) {
        cs[j] = 0.5 * std::cos(delta * j);
        cs[nc - j] = 0.5 * std::sin(delta * j);
    }
}

namespace {

// The complex transform drivers: the same stages both ways; the backward
// transform differs only in its first stage (inputs conjugated), its 4-point
// transform and its final permutations (conjugating, or by negated index).
template <bool kForward>
void complexTransform(std::int32_t n, double* a, const std::int32_t* ip, std::int32_t nw, const double* w) {
    if (n > 32) {
        kForward ? cftf1st(n, a, &w[nw - (n >> 2)]) : cftb1st(n, a, &w[nw - (n >> 2)]);
        if (n > 512) {
            cftrec4(n, a, nw, w);
        } else if (n > 128) {
            cftleaf(n, 1, a, nw, w);
        } else {
            cftfx41(n, a, nw, w);
        }
        kForward ? bitrv2(n, ip, a) : bitrv2conj(n, ip, a);
    } else if (n == 32) {
        cftf161(a, &w[nw - 8]);
        kForward ? bitrv216(a) : bitrv216neg(a);
    } else if (n == 16) {
        cftf081(a, w);
        kForward ? bitrv208(a) : bitrv208neg(a);
    } else if (n == 8) {
        kForward ? cftf040(a) : cftb040(a);
    } else if (n == 4) {
        cftx020(a);
    }
}

}  // namespace

void cftfsub(std::int32_t n, double* a, const std::int32_t* ip, std::int32_t nw, const double* w) {
    complexTransform<true>(n, a, ip, nw, w);
}

void cftbsub(std::int32_t n, double* a, const std::int32_t* ip, std::int32_t nw, const double* w) {
    complexTransform<false>(n, a, ip, nw, w);
}

namespace {

// Real post-processing (forward) and pre-processing (backward). With
// A = a[j] + i a[j+1], B = a[k] + i a[k+1] (k = n - j) and the weight
// W = (0.5 - cs[nc - kk], cs[kk]): x = A - conj(B); y = W x forward,
// conj(W) x backward; then A -= y, B += conj(y).
//
// Two neighbouring steps (j, j + 2) run together, one per lane: real parts
// in one register, imaginary parts in another, so that the products need no
// shuffles. The step count left is odd; the last step runs alone.
//
// The AVX2 code, when it runs, does the bulk and leaves the last steps from j on.
template <bool kForward>
void realSplit(std::int32_t n, double* __restrict a, std::int32_t nc, const double* __restrict c) {
    const std::int32_t m = n >> 1;
    const std::int32_t ks = 2 * nc / m;
    const __m128d half = _mm_set1_pd(0.5);
    std::int32_t j = 2;
    if (Avx2Enabled()) j = kForward ? rftfsubAvx2(n, a, nc, c) : rftbsubAvx2(n, a, nc, c);
    std::int32_t kk = ks * (j >> 1);
    for (; j + 2 < m; j += 4, kk += 2 * ks) {
        const std::int32_t k = n - j;
        const __m128d wr = _mm_sub_pd(half, _mm_set_pd(c[nc - kk - ks], c[nc - kk]));
        const __m128d wi = _mm_set_pd(c[kk + ks], c[kk]);
        const __m128d upper0 = _mm_loadu_pd(a + j), upper1 = _mm_loadu_pd(a + j + 2);
        const __m128d lower0 = _mm_loadu_pd(a + k), lower1 = _mm_loadu_pd(a + k - 2);
        __m128d ur = _mm_unpacklo_pd(upper0, upper1), ui = _mm_unpackhi_pd(upper0, upper1);
        __m128d lr = _mm_unpacklo_pd(lower0, lower1), li = _mm_unpackhi_pd(lower0, lower1);
        const __m128d xr = _mm_sub_pd(ur, lr), xi = _mm_add_pd(ui, li);
        const __m128d yr = kForward ? _mm_sub_pd(_mm_mul_pd(wr, xr), _mm_mul_pd(wi, xi))
                                    : _mm_add_pd(_mm_mul_pd(wr, xr), _mm_mul_pd(wi, xi));
        const __m128d yi = kForward ? _mm_add_pd(_mm_mul_pd(wr, xi), _mm_mul_pd(wi, xr))
                                    : _mm_sub_pd(_mm_mul_pd(wr, xi), _mm_mul_pd(wi, xr));
        ur = _mm_sub_pd(ur, yr);
        ui = _mm_sub_pd(ui, yi);
        lr = _mm_add_pd(lr, yr);
        li = _mm_sub_pd(li, yi);
        _mm_storeu_pd(a + j, _mm_unpacklo_pd(ur, ui));
        _mm_storeu_pd(a + j + 2, _mm_unpackhi_pd(ur, ui));
        _mm_storeu_pd(a + k, _mm_unpacklo_pd(lr, li));
        _mm_storeu_pd(a + k - 2, _mm_unpackhi_pd(lr, li));
    }
    if (j < m) {
        const std::int32_t k = n - j;
        const Cx weight(0.5 - c[nc - kk], c[kk]);
        const Cx upper = load(a + j), lower = load(a + k);
        const Cx x = upper - conj(lower);
        const Cx y = kForward ? weight * x : conj(weight) * x;
        store(a + j, upper - y);
        store(a + k, lower + conj(y));
    }
}

}  // namespace

void rftfsub(std::int32_t n, double* a, std::int32_t nc, const double* c) { realSplit<true>(n, a, nc, c); }

void rftbsub(std::int32_t n, double* a, std::int32_t nc, const double* c) { realSplit<false>(n, a, nc, c); }

namespace {

constexpr std::int32_t kReverse4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// Swaps complex element c with element reverse(c) for every pair; with
// kConjugate it also negates every imaginary part. The index is split as
// c = (hi, mid, lo), reverse(c) = (rev lo, rev mid, rev hi): comparing hi with
// rev lo decides most pairs without looking at mid.
template <bool kConjugate>
inline void swapComplex(double* a, std::int32_t c, std::int32_t r) {
    const Cx x = load(a + c), y = load(a + r);
    store(a + c, kConjugate ? conj(y) : y);
    store(a + r, kConjugate ? conj(x) : x);
}

template <bool kConjugate>
void bitReverseComplex(std::int32_t n, const std::int32_t* ip, double* a) {
    const BitLayout b = bitLayout(n);
    const std::int32_t midCount = 1 << b.d;
    const std::int32_t midShift = 4 - b.d;    // kReverse4 reverses four bits
    const std::int32_t layerShift = b.k + 3;  // ip[m + i] = reverse_k(i) * 8m
    const std::int32_t hiShift = b.k + b.d;
    const std::int32_t midStep = 2 << b.k;
    std::int32_t revMid[16];
    for (std::int32_t mid = 0; mid < midCount; mid++) revMid[mid] = 2 * ((kReverse4[mid] >> midShift) << b.k);
    for (std::int32_t hi = 0; hi < b.m; hi++) {
        const std::int32_t revHi = ip[b.m + hi] >> layerShift;
        for (std::int32_t lo = 0; lo < b.m; lo++) {
            const std::int32_t revLo = ip[b.m + lo] >> layerShift;
            if (hi > revLo) continue;  // the partner's turn
            const std::int32_t from = 2 * ((hi << hiShift) | lo);
            const std::int32_t to = 2 * ((revLo << hiShift) | revHi);
            if (hi < revLo) {  // every partner lies in the other block
                for (std::int32_t mid = 0; mid < midCount; mid++) {
                    swapComplex<kConjugate>(a, from + mid * midStep, to + revMid[mid]);
                }
                continue;
            }
            for (std::int32_t mid = 0; mid < midCount; mid++) {
                const std::int32_t c = from + mid * midStep;
                const std::int32_t r = to + revMid[mid];
                if (c < r) {
                    swapComplex<kConjugate>(a, c, r);
                } else if (kConjugate && c == r) {
                    store(a + c, conj(load(a + c)));
                }
            }
        }
    }
}

// Moves complex element p of a block of `count` points to dest(p), through a
// copy (the blocks are 8 or 16 points).
template <std::int32_t count, typename Dest>
void permuteSmall(double* a, Dest dest) {
    double copy[2 * count];
    for (std::int32_t i = 0; i < 2 * count; i++) copy[i] = a[i];
    for (std::int32_t p = 0; p < count; p++) {
        const std::int32_t d = dest(p);
        a[2 * d] = copy[2 * p];
        a[2 * d + 1] = copy[2 * p + 1];
    }
}

}  // namespace

BitLayout bitLayout(std::int32_t n) {
    BitLayout b{2, 1, 0};
    for (std::int32_t l = n >> 2; l > 32; l >>= 2) {
        b.m <<= 1;
        b.k++;
    }
    std::int32_t bits = 0;
    while ((1 << bits) < (n >> 1)) bits++;
    b.d = bits - 2 * b.k;
    assert(b.d >= 0 && b.d <= 4);
    return b;
}

void bitrv2(std::int32_t n, const std::int32_t* ip, double* a) {
    if (Avx2Enabled()) return bitrv2Avx2(n, ip, a);
    bitReverseComplex<false>(n, ip, a);
}

void bitrv2conj(std::int32_t n, const std::int32_t* ip, double* a) {
    if (Avx2Enabled()) return bitrv2conjAvx2(n, ip, a);
    bitReverseComplex<true>(n, ip, a);
}

// The negated-index variants turn the forward kernels' output into the
// backward transform: X_backward[k] = X_forward[-k mod count].
void bitrv216(double* a) {
    permuteSmall<16>(a, [](std::int32_t p) { return kReverse4[p]; });
}

void bitrv216neg(double* a) {
    permuteSmall<16>(a, [](std::int32_t p) { return (16 - kReverse4[p]) & 15; });
}

void bitrv208(double* a) {
    permuteSmall<8>(a, [](std::int32_t p) { return kReverse4[p] >> 1; });
}

void bitrv208neg(double* a) {
    permuteSmall<8>(a, [](std::int32_t p) { return (8 - (kReverse4[p] >> 1)) & 7; });
}

}  // namespace rdft_detail

void rdft(std::int32_t n, std::int32_t isgn, double* a, std::int32_t* ip, double* w) {
    using namespace rdft_detail;
    assert(n >= 4 && n <= kRdftMaxLength && (n & (n - 1)) == 0);
    std::int32_t nw = ip[0];
    if (n > (nw << 2)) {
        nw = n >> 2;
        makewt(nw, ip, w);
    }
    std::int32_t nc = ip[1];
    if (n > (nc << 2)) {
        nc = n >> 2;
        ip[1] = nc;
        if (nc > 1) makect(nc, ip, w + nw);
    }
    if (isgn >= 0) {
        if (n > 4) {
            cftfsub(n, a, ip, nw, w);
            rftfsub(n, a, nc, w + nw);
        } else {
            cftfsub(n, a, ip, nw, w);
        }
        const double x = a[0] - a[1];
        a[0] += a[1];
        a[1] = x;
    } else {
        a[1] = 0.5 * (a[0] - a[1]);
        a[0] -= a[1];
        if (n > 4) {
            rftbsub(n, a, nc, w + nw);
            cftbsub(n, a, ip, nw, w);
        } else {
            cftbsub(n, a, ip, nw, w);
        }
    }
}
