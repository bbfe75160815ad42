#include "analysis/cpu_features.h"

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The checks include the system's saving of the wide registers.
bool AskAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

bool AskAvx2Fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#else
bool AskAvx() { return false; }
bool AskAvx2Fma() { return false; }
#endif

}  // namespace

bool CpuRunsAvx() {
    static const bool runs = AskAvx();
    return runs;
}

bool CpuRunsAvx2Fma() {
    static const bool runs = AskAvx2Fma();
    return runs;
}
