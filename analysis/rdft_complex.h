// Complex arithmetic for the rdft routines: one complex value per SSE2
// register. Internal to rdft.cpp and rdft_stages.cpp.
#pragma once

#include <emmintrin.h>

namespace rdft_detail {

// A complex value in one SSE2 register: lane 0 real, lane 1 imaginary.
struct Cx {
    __m128d v;
    Cx(double re, double im) : v(_mm_set_pd(im, re)) {}
    explicit Cx(__m128d x) : v(x) {}
};

inline __m128d swapLanes(__m128d x) { return _mm_shuffle_pd(x, x, 1); }
inline __m128d negate(__m128d x, double re, double im) { return _mm_xor_pd(x, _mm_set_pd(im, re)); }

inline Cx operator+(Cx a, Cx b) { return Cx(_mm_add_pd(a.v, b.v)); }
inline Cx operator-(Cx a, Cx b) { return Cx(_mm_sub_pd(a.v, b.v)); }
inline Cx operator*(Cx a, double s) { return Cx(_mm_mul_pd(a.v, _mm_set1_pd(s))); }
// (a.re b.re - a.im b.im, a.im b.re + a.re b.im)
inline Cx operator*(Cx a, Cx b) {
    const __m128d byRe = _mm_mul_pd(a.v, _mm_unpacklo_pd(b.v, b.v));
    const __m128d byIm = _mm_mul_pd(swapLanes(a.v), _mm_unpackhi_pd(b.v, b.v));
    return Cx(_mm_add_pd(byRe, negate(byIm, -0.0, 0.0)));
}
inline Cx timesI(Cx a) { return Cx(negate(swapLanes(a.v), -0.0, 0.0)); }  // (-im, re)
inline Cx conj(Cx a) { return Cx(negate(a.v, 0.0, -0.0)); }
inline Cx load(const double* p) { return Cx(_mm_loadu_pd(p)); }
inline void store(double* p, Cx x) { _mm_storeu_pd(p, x.v); }

// The twiddles of the mirrored index (quarter - p) expressed through those
// of p: i conj(t) and -i conj(t).
inline Cx mirror1(Cx t) { return Cx(swapLanes(t.v)); }
inline Cx mirror3(Cx t) { return Cx(negate(swapLanes(t.v), -0.0, -0.0)); }

}  // namespace rdft_detail
