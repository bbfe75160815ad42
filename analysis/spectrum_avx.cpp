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

inline Four Load(const double* re, const double* im) { return Four{_mm256_loadu_pd(re), _mm256_loadu_pd(im)}; }

inline void Store(double* re, double* im, Four x) {
    _mm256_storeu_pd(re, x.re);
    _mm256_storeu_pd(im, x.im);
}

// Four butterflies on lower `lo` and upper `hi` in place, twiddle w, with the
// scalar butterfly's operations in its order.
inline void Butterfly(Four& lo, Four& hi, Four w) {
    const __m256d tr = _mm256_sub_pd(_mm256_mul_pd(w.re, hi.re), _mm256_mul_pd(w.im, hi.im));
    const __m256d ti = _mm256_add_pd(_mm256_mul_pd(w.re, hi.im), _mm256_mul_pd(w.im, hi.re));
    hi.re = _mm256_sub_pd(lo.re, tr);
    hi.im = _mm256_sub_pd(lo.im, ti);
    lo.re = _mm256_add_pd(lo.re, tr);
    lo.im = _mm256_add_pd(lo.im, ti);
}

}  // namespace

void ButterflyStageAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* twRe,
                       const double* twIm) {
    for (std::int32_t b = 0; b < n; b += 2 * half) {
        for (std::int32_t k = 0; k < half; k += 4) {
            double* r = re + b + k;
            double* i = im + b + k;
            Four lo = Load(r, i), hi = Load(r + half, i + half);
            Butterfly(lo, hi, Load(twRe + k, twIm + k));
            Store(r, i, lo);
            Store(r + half, i + half, hi);
        }
    }
}

void ButterflyStagePairAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* tw1Re,
                           const double* tw1Im, const double* tw2Re, const double* tw2Im) {
    for (std::int32_t b = 0; b < n; b += 4 * half) {
        for (std::int32_t k = 0; k < half; k += 4) {
            // The four values at b + k + q * half, q = 0 ... 3.
            double* r = re + b + k;
            double* i = im + b + k;
            Four x0 = Load(r, i), x1 = Load(r + half, i + half);
            Four x2 = Load(r + 2 * half, i + 2 * half), x3 = Load(r + 3 * half, i + 3 * half);
            const Four w1 = Load(tw1Re + k, tw1Im + k);
            Butterfly(x0, x1, w1);
            Butterfly(x2, x3, w1);
            Butterfly(x0, x2, Load(tw2Re + k, tw2Im + k));
            Butterfly(x1, x3, Load(tw2Re + k + half, tw2Im + k + half));
            Store(r, i, x0);
            Store(r + half, i + half, x1);
            Store(r + 2 * half, i + 2 * half, x2);
            Store(r + 3 * half, i + 3 * half, x3);
        }
    }
}

}  // namespace spectrum_detail
