// BandSegment: one run of rows of a logarithmic spectrogram column that show
// the same bin. The spectrogram's work arrays (display/spectrogram.h) keep a
// table of them; the spectrogram painter fills it afresh for every column.
#pragma once

#include <cstdint>

struct BandSegment {
    std::int32_t rows;     // consecutive rows in the run
    double value;          // the value of the run's bin
    double step;           // (value - previous run's value) / previous run's rows
    std::int32_t binStep;  // whole bins skipped between the run's first row and the row before it
    std::int32_t prevBin;  // bin of the row before the run's first row
};
