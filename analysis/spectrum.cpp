#include "analysis/spectrum.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "analysis/analyzer.h"
#include "analysis/cpu_features.h"
#include "analysis/spectrum_internal.h"

namespace {

// The stage angle's numerator: pi as the program has always written it.
constexpr double kPiApprox = 3.14159265;

// Every butterfly of one stage: lower element j and upper element j + half
// for j = b + k, b a multiple of 2*half, twiddle k of the stage. SSE2 does two
// k at a time with exactly the scalar operations, in the same order.
void ButterflyStage(double* re, double* im, std::int32_t n, std::int32_t half, const double* twRe,
                    const double* twIm) {
    for (std::int32_t b = 0; b < n; b += 2 * half) {
        double* loRe = re + b;
        double* loIm = im + b;
        double* hiRe = loRe + half;
        double* hiIm = loIm + half;
        for (std::int32_t k = 0; k < half; k += 2) {
            const __m128d wr = _mm_loadu_pd(twRe + k);
            const __m128d wi = _mm_loadu_pd(twIm + k);
            const __m128d xr = _mm_loadu_pd(hiRe + k);
            const __m128d xi = _mm_loadu_pd(hiIm + k);
            const __m128d tr = _mm_sub_pd(_mm_mul_pd(wr, xr), _mm_mul_pd(wi, xi));
            const __m128d ti = _mm_add_pd(_mm_mul_pd(wr, xi), _mm_mul_pd(wi, xr));
            const __m128d ur = _mm_loadu_pd(loRe + k);
            const __m128d ui = _mm_loadu_pd(loIm + k);
            _mm_storeu_pd(hiRe + k, _mm_sub_pd(ur, tr));
            _mm_storeu_pd(hiIm + k, _mm_sub_pd(ui, ti));
            _mm_storeu_pd(loRe + k, _mm_add_pd(ur, tr));
            _mm_storeu_pd(loIm + k, _mm_add_pd(ui, ti));
        }
    }
}

// Zero until dynamic initialisation: a spectrum computed before it takes SSE2.
bool avxOn = spectrum_detail::AvxSupported();

}  // namespace

namespace spectrum_detail {

bool AvxSupported() { return CpuRunsAvx(); }

bool AvxEnabled() { return avxOn; }

void SetAvxEnabled(bool on) { avxOn = on && AvxSupported(); }

}  // namespace spectrum_detail

void BitReverseTable(std::int32_t n, std::int32_t* t) {
    t[0] = 0;
    for (std::int32_t b = 1, step = n / 2; b < n; b *= 2, step /= 2) {
        for (std::int32_t i = 0; i < b; i++) t[b + i] = t[i] + step;
    }
}

void BuildSpectrumTables(Analyzer& an) {
    const std::int32_t n = an.frameLength;
    BitReverseTable(n, an.bitReverse);
    for (std::int32_t half = 1; half < n; half *= 2) {
        const double theta = kPiApprox / half;
        const double cr = std::cos(theta);
        const double sr = -std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (std::int32_t k = 0; k < half; k++) {
            an.stageTwiddleRe[half + k] = wr;
            an.stageTwiddleIm[half + k] = wi;
            const double next = wr * cr - wi * sr;
            wi = wi * cr + wr * sr;
            wr = next;
        }
    }
}

void ComputeSpectrum(Analyzer& an) {
    const std::int32_t n = 1 << an.log2Length;
    double* re = an.outRe;
    double* im = an.outIm;

    // The imaginary input is zero; only what the cepstrum path left needs clearing.
    std::memset(an.imagInput, 0, sizeof(double) * an.imagInputUsed);
    an.imagInputUsed = 0;

    // Bit-reversed gather fused with the first stage (half 1, twiddle (1, 0)).
    // The formulas are written out in full so that every value, zero signs
    // and non-finite inputs included, is the one of the plain butterfly.
    const std::int32_t* t = an.bitReverse;
    const double* x = an.sampleFrame;
    const double wr = 1.0;
    const double wi = 0.0;
    for (std::int32_t j = 0; j < n; j += 2) {
        const double ur = x[t[j]];
        const double ui = an.imagInput[t[j]];
        const double xr = x[t[j + 1]];
        const double xi = an.imagInput[t[j + 1]];
        const double tr = wr * xr - wi * xi;
        const double ti = wr * xi + wi * xr;
        re[j + 1] = ur - tr;
        im[j + 1] = ui - ti;
        re[j] = ur + tr;
        im[j] = ui + ti;
    }
    const double* twRe = an.stageTwiddleRe;
    const double* twIm = an.stageTwiddleIm;
    // With AVX: half 2 in SSE2 (it has only two twiddles), then the stages in
    // pairs (4, 8), (16, 32), ..., and a last single stage when their count is odd.
    std::int32_t half = 2;
    if (avxOn) {
        ButterflyStage(re, im, n, half, twRe + half, twIm + half);
        for (half = 4; 2 * half < n; half *= 4) {
            spectrum_detail::ButterflyStagePairAvx(re, im, n, half, twRe + half, twIm + half, twRe + 2 * half,
                                                   twIm + 2 * half);
        }
        if (half < n) spectrum_detail::ButterflyStageAvx(re, im, n, half, twRe + half, twIm + half);
    } else {
        for (; half < n; half *= 2) ButterflyStage(re, im, n, half, twRe + half, twIm + half);
    }

    // The powers and magnitudes two at a time (correctly rounded, as the
    // scalar sqrt), then the logarithm of each; halfFrame is even.
    double* power = an.binPower;
    for (std::int32_t k = 0; k < an.halfFrame; k += 2) {
        const __m128d xr = _mm_loadu_pd(re + k);
        const __m128d xi = _mm_loadu_pd(im + k);
        const __m128d p = _mm_add_pd(_mm_mul_pd(xr, xr), _mm_mul_pd(xi, xi));
        _mm_storeu_pd(power + k, p);
        _mm_storeu_pd(re + k, _mm_sqrt_pd(p));
    }
    for (std::int32_t k = 0; k < an.halfFrame; k++) re[k] = 20.0 * std::log(re[k]);
}
