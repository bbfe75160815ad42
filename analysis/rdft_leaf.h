// The order of work in one leaf of the middle-stage tree (see
// rdft_internal.h), for both the SSE2 and the AVX2 routines.
//
// A leaf of m = 256 or 512 doubles is four quarters; each quarter runs its
// stage, then the kernels of its four sub-blocks (plain, odd, plain, and plain
// or odd like the quarter itself). The leaf's last quarter is plain or odd as
// isplt says and runs its fourth kernel first. Sub-blocks of 32 doubles take
// the 16-point kernels, of 16 doubles the 8-point ones.
//
// Routines supplies them as static members: plainStage and oddStage (the
// cftmdl1 and cftmdl2 steps), plain16, odd16, plain8 and odd8 (the cftf161,
// cftf162, cftf081 and cftf082 kernels). Each caller passes a type from its
// own anonymous namespace, so that the instantiations, compiled with
// different instruction sets, never mix at link time.
#pragma once

#include <cassert>
#include <cstdint>

namespace rdft_detail {

template <class Routines, bool kBig>
void leafQuarter(std::int32_t size, bool plain, bool last, double* a, std::int32_t nw, const double* w) {
    const std::int32_t sub = size >> 2;
    auto plainKernel = [&](double* b) {
        kBig ? Routines::plain16(b, &w[nw - 8]) : Routines::plain8(b, &w[nw - 8]);
    };
    auto oddKernel = [&](double* b) { kBig ? Routines::odd16(b, &w[nw - 32]) : Routines::odd8(b, &w[nw - 8]); };
    auto fourth = [&] { plain ? plainKernel(a + 3 * sub) : oddKernel(a + 3 * sub); };
    if (plain) {
        Routines::plainStage(size, a, &w[nw - (size >> 1)]);
    } else {
        Routines::oddStage(size, a, &w[nw - size]);
    }
    if (last) fourth();
    plainKernel(a);
    oddKernel(a + sub);
    plainKernel(a + 2 * sub);
    if (!last) fourth();
}

template <class Routines, bool kBig>
void leafOf(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w) {
    const std::int32_t quarter = m >> 2;
    leafQuarter<Routines, kBig>(quarter, true, false, a, nw, w);
    leafQuarter<Routines, kBig>(quarter, false, false, a + quarter, nw, w);
    leafQuarter<Routines, kBig>(quarter, true, false, a + 2 * quarter, nw, w);
    leafQuarter<Routines, kBig>(quarter, isplt != 0, true, a + 3 * quarter, nw, w);
}

template <class Routines>
void runLeaf(std::int32_t m, std::int32_t isplt, double* a, std::int32_t nw, const double* w) {
    assert(m == 256 || m == 512);
    m == 512 ? leafOf<Routines, true>(m, isplt, a, nw, w) : leafOf<Routines, false>(m, isplt, a, nw, w);
}

}  // namespace rdft_detail
