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

// Four butterflies at neighbouring k: lower (loRe, loIm) and upper (hiRe,
// hiIm) in place, twiddle (wr, wi), with the scalar butterfly's operations in
// its order.
inline void butterfly4(__m256d& loRe, __m256d& loIm, __m256d& hiRe, __m256d& hiIm, __m256d wr, __m256d wi) {
    const __m256d tr = _mm256_sub_pd(_mm256_mul_pd(wr, hiRe), _mm256_mul_pd(wi, hiIm));
    const __m256d ti = _mm256_add_pd(_mm256_mul_pd(wr, hiIm), _mm256_mul_pd(wi, hiRe));
    hiRe = _mm256_sub_pd(loRe, tr);
    hiIm = _mm256_sub_pd(loIm, ti);
    loRe = _mm256_add_pd(loRe, tr);
    loIm = _mm256_add_pd(loIm, ti);
}

}  // namespace

void butterflyStageAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* twRe,
                       const double* twIm) {
    for (std::int32_t b = 0; b < n; b += 2 * half) {
        double* r = re + b;
        double* i = im + b;
        for (std::int32_t k = 0; k < half; k += 4) {
            __m256d loRe = _mm256_loadu_pd(r + k), loIm = _mm256_loadu_pd(i + k);
            __m256d hiRe = _mm256_loadu_pd(r + k + half), hiIm = _mm256_loadu_pd(i + k + half);
            butterfly4(loRe, loIm, hiRe, hiIm, _mm256_loadu_pd(twRe + k), _mm256_loadu_pd(twIm + k));
            _mm256_storeu_pd(r + k, loRe);
            _mm256_storeu_pd(i + k, loIm);
            _mm256_storeu_pd(r + k + half, hiRe);
            _mm256_storeu_pd(i + k + half, hiIm);
        }
    }
}

void butterflyStagePairAvx(double* re, double* im, std::int32_t n, std::int32_t half, const double* tw1Re,
                           const double* tw1Im, const double* tw2Re, const double* tw2Im) {
    const std::int32_t q = half;
    for (std::int32_t b = 0; b < n; b += 4 * q) {
        double* r = re + b;
        double* i = im + b;
        for (std::int32_t k = 0; k < q; k += 4) {
            __m256d r0 = _mm256_loadu_pd(r + k), i0 = _mm256_loadu_pd(i + k);
            __m256d r1 = _mm256_loadu_pd(r + k + q), i1 = _mm256_loadu_pd(i + k + q);
            __m256d r2 = _mm256_loadu_pd(r + k + 2 * q), i2 = _mm256_loadu_pd(i + k + 2 * q);
            __m256d r3 = _mm256_loadu_pd(r + k + 3 * q), i3 = _mm256_loadu_pd(i + k + 3 * q);
            const __m256d w1r = _mm256_loadu_pd(tw1Re + k), w1i = _mm256_loadu_pd(tw1Im + k);
            butterfly4(r0, i0, r1, i1, w1r, w1i);
            butterfly4(r2, i2, r3, i3, w1r, w1i);
            butterfly4(r0, i0, r2, i2, _mm256_loadu_pd(tw2Re + k), _mm256_loadu_pd(tw2Im + k));
            butterfly4(r1, i1, r3, i3, _mm256_loadu_pd(tw2Re + k + q), _mm256_loadu_pd(tw2Im + k + q));
            _mm256_storeu_pd(r + k, r0);
            _mm256_storeu_pd(i + k, i0);
            _mm256_storeu_pd(r + k + q, r1);
            _mm256_storeu_pd(i + k + q, i1);
            _mm256_storeu_pd(r + k + 2 * q, r2);
            _mm256_storeu_pd(i + k + 2 * q, i2);
            _mm256_storeu_pd(r + k + 3 * q, r3);
            _mm256_storeu_pd(i + k + 3 * q, i3);
        }
    }
}

}  // namespace spectrum_detail
