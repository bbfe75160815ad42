// The spectrum's butterfly stages four twiddles at a time. This file alone is
// compiled with -mavx (and without contraction of multiplies into adds); it
// includes no header with inline functions of its own, so that no AVX copy of
// a shared inline function can reach the SSE2 callers. Every memory access is
// unaligned: neither the frame nor the tables are 32-byte aligned.
#include <immintrin.h>

#include <cstdint>

#include "analysis/spectrum_internal.h"

namespace spectrum_detail {
namespace {

// Four neighbouring complex values, split into real and imaginary parts.
struct Four {
    __m256d re, im;
};

inline Four load(const double* re, const double* im) { return Four{_mm256_loadu_pd(re), _mm256_loadu_pd(im)}; }

inline void store(double* re, double* im, Four x) {
    _mm256_storeu_pd(re, x.re);
    _mm256_storeu_pd(im, x.im);
}

// Four butterflies on lower `lo` and upper `hi` in place, twiddle w, with the
// scalar butterfly's operations in its order.
inline void butterfly(Four& lo, Four& hi, Four w) {
    const __m256d tr = _mm256_sub_pd(_mm256_mul_pd(w.re, hi.re), _mm256_mul_pd(w.im, hi.im));
    const __m256d ti = _mm256_add_pd(_mm256_mul_pd(w.re, hi.im), _mm256_mul_pd(w.im, hi.re));
    hi.re = _mm256_sub_pd(lo.re, tr);
    hi.im = _mm256_sub_pd(lo.im, ti);
    lo.re = _mm256_add_pd(lo.re, tr);
    lo.im = _mm256_add_pd(lo.im, ti);
}

}  // namespace

void butterflyStageAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* twRe,
                       const double* twIm) {
    for (std::int32_t b = 0; b < n; b += 2 * half) {
        for (std::int32_t k = 0; k < half; k += 4) {
            double* r = re + b + k;
            double* i = im + b + k;
            Four lo = load(r, i), hi = load(r + half, i + half);
            butterfly(lo, hi, load(twRe + k, twIm + k));
            store(r, i, lo);
            store(r + half, i + half, hi);
        }
    }
}

void butterflyStagePairAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* tw1Re,
                           const double* tw1Im, const double* tw2Re, const double* tw2Im) {
    for (std::int32_t b = 0; b < n; b += 4 * half) {
        for (std::int32_t k = 0; k < half; k += 4) {
            // The four values at b + k + q * half, q = 0 ... 3.
            double* r = re + b + k;
            double* i = im + b + k;
            Four x0 = load(r, i), x1 = load(r + half, i + half);
            Four x2 = load(r + 2 * half, i + 2 * half), x3 = load(r + 3 * half, i + 3 * half);
            const Four w1 = load(tw1Re + k, tw1Im + k);
            butterfly(x0, x1, w1);
            butterfly(x2, x3, w1);
            butterfly(x0, x2, load(tw2Re + k, tw2Im + k));
            butterfly(x1, x3, load(tw2Re + k + half, tw2Im + k + half));
            store(r, i, x0);
            store(r + half, i + half, x1);
            store(r + 2 * half, i + 2 * half, x2);
            store(r + 3 * half, i + 3 * half, x3);
        }
    }
}

}  // namespace spectrum_detail
