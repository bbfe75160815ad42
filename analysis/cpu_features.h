// What this processor, with its system's support for the wide registers, can
// run. Each answer is asked of the processor once and then kept; any thread.
#pragma once

// 256-bit AVX arithmetic.
bool CpuRunsAvx();

// AVX2 with fused multiply-add.
bool CpuRunsAvx2Fma();
