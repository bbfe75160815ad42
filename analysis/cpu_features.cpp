#include "analysis/cpu_features.h"

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The checks include the system's saving of the wide registers.
bool askAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

bool askAvx2Fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#else
bool askAvx() { return false; }
bool askAvx2Fma() { return false; }
#endif

}  // namespace

bool cpuRunsAvx() {
    static const bool runs = askAvx();
    return runs;
}

bool cpuRunsAvx2Fma() {
    static const bool runs = askAvx2Fma();
    return runs;
}
