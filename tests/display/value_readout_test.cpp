#include "display/value_readout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "display/frame_csv.h"

namespace {

TEST(NoteText, NearestNoteAndCentsAcrossTheKeyboard) {
    const struct {
        double hz;
        const char* text;
    } cases[] = {
        {440.0, "A4 +0c"},   {466.16, "A#4 +0c"}, {27.5, "A0 +0c"},   {4186.0, "C8 +0c"},
        {261.63, "C4 +0c"},  {445.0, "A4 +20c"},  {452.0, "A4 +47c"},  {455.0, "A#4 -42c"}, {16.35, "C0 +0c"},
        {0.5, "-"},          {INFINITY, "-"},     {NAN, "-"},
    };
    for (const auto& c : cases) {
        char text[kReadoutTextBytes];
        NoteText(c.hz, text);
        EXPECT_STREQ(text, c.text) << c.hz;
    }
}

// The cursor reads back what the axis shows: the frequency labels' mapping
// on both axes, the level of a full-scale sine at the row it is drawn, and
// the pitch of a lag.
TEST(CursorReadout, FrequencyLevelAndNoteUnderTheCursor) {
    const FrameFacts facts{44100, 4096, kWindowHanning};
    const ViewAxis linear{1000, 2048, false};
    const ViewAxis log{1000, 2048, true};
    EXPECT_NEAR(AxisBinAtX(log, AxisXOfBin(log, 40.86)), 40.86, 1e-9);
    EXPECT_NEAR(AxisBinAtX(linear, 500), 1024, 1e-9);

    // A full-scale sine in bin 41 (column 20 draws bins 41 to 43), the
    // pointer 6 dB below it: the trace's level and the pointer's, each named.
    const ViewLevels levels{400, 300.0, 400.0};
    const double fullScale = FullScaleLevel(kWindowHanning, 4096);
    std::vector<double> values(2048, fullScale - 200.0);
    values[41] = fullScale;
    const int y = static_cast<int>(std::lround(RowOfValue(levels, fullScale - 6.0 * std::log(10.0))));
    const ReadoutText s = SpectrumCursorReadout(facts, linear, levels, values.data(), 2048, 20, y);
    ASSERT_EQ(s.count, 3);
    EXPECT_STREQ(s.lines[0], "441.0 Hz  A4 +4c");
    EXPECT_STREQ(s.lines[1], "trace 0.0 dBFS");
    EXPECT_EQ(std::string(s.lines[2]).rfind("pointer ", 0), 0u) << s.lines[2];
    EXPECT_NEAR(std::stod(s.lines[2] + 8), -6.0, 0.2) << s.lines[2];
    EXPECT_EQ(TraceValueAtX(linear, values.data(), 2048, 21), fullScale - 200.0) << "the next column";
    EXPECT_EQ(TraceValueAtX(ViewAxis{4096, 2048, false}, values.data(), 2048, 82), fullScale)
        << "bins wider than columns: the nearest bin";

    // Lag 200.45 samples: 220 Hz.
    const ReadoutText c = CepstrumCursorReadout(facts, ViewAxis{2048, 2048, false}, 200);
    EXPECT_STREQ(c.lines[0], "lag 4.54 ms");
    EXPECT_STREQ(c.lines[1], "220.5 Hz");
    EXPECT_STREQ(c.lines[2], "A3 +4c");
    EXPECT_STREQ(CepstrumCursorReadout(facts, linear, 0).lines[1], "-") << "lag 0 has no pitch";

    const double samples[] = {0, 100, -200, 300};
    const ReadoutText w = WaveCursorReadout(facts, 8, samples, 4, 5);
    EXPECT_STREQ(w.lines[0], "time 0.07 ms");
    EXPECT_STREQ(w.lines[1], "value 300");
}

// The spectrogram's rows: the band's low end at the bottom (at the top in
// the cepstrum views), and each column's age from the clock.
TEST(CursorReadout, SpectrogramRowFrequencyAndColumnAge) {
    const FrameFacts facts{44100, 4096, kWindowHanning};
    SpectrogramAxis axis{100, 2048, SelectionBlock{0.1, 0.25, 0.5, 0.9}, false, false};
    EXPECT_NEAR(SpectrogramBinAtRow(axis, 99), 512, 1e-9);
    EXPECT_NEAR(SpectrogramBinAtRow(axis, 0), 512 + 99 * 5.12, 1e-9);
    axis.cepstrum = true;
    EXPECT_NEAR(SpectrogramBinAtRow(axis, 0), 512, 1e-9);

    ColumnClock clock;
    for (int i = 0; i < 5; ++i) clock.Push(100, 10.0 + i);
    EXPECT_DOUBLE_EQ(clock.AgeOf(100, 99, 15.0), 1.0);
    EXPECT_DOUBLE_EQ(clock.AgeOf(100, 95, 15.0), 5.0);
    EXPECT_LT(clock.AgeOf(100, 94, 15.0), 0.0) << "not drawn yet";
    clock.Push(120, 20.0);
    EXPECT_LT(clock.AgeOf(120, 118, 21.0), 0.0) << "a new width starts empty";
    const ReadoutText lagged = SpectrogramCursorReadout(facts, axis, 0, 2.25);
    EXPECT_STREQ(lagged.lines[0], "lag 11.61 ms");
    EXPECT_STREQ(lagged.lines[2], "2.2 s ago");
}

// Notes, one header row and one row per bin or sample, every line as wide
// as the header, so the file reads as one table; a value without digits (a
// silent bin, the frequency of lag 0) leaves its cell empty, never "inf".
TEST(FrameCsv, NotesHeaderAndRowsOfOneWidth) {
    const double fullScale = FullScaleLevel(kWindowHanning, 8);
    char level[32];
    std::snprintf(level, sizeof level, "%.4f", fullScale);
    const std::vector<Band> kBands = {{25.0, 22.4, 28.2, false, false},
                                      {1000.0, 891.3, 1122.0, true, false},
                                      {20000.0, 17782.8, 22387.2, false, true}};
    const struct {
        FrameSnapshot frame;
        std::string csv;
    } cases[] = {
        {{{fullScale, -INFINITY}, 8000, 8, kWindowHanning, false},
         std::string("# rate_hz,8000,\r\n# length_points,8,\r\n# window,Hanning,\r\n"
                     "frequency_hz,level_20ln_magnitude,level_dbfs\r\n0.0000,") +
             level + ",0.0000\r\n1000.0000,,\r\n"},
        {{{5.0, -2.5, 0.25}, 8000, 6, kWindowNone, true},
         "# rate_hz,8000,\r\n# length_points,6,\r\n# window,none,\r\n"
         "quefrency_ms,frequency_hz,cepstrum\r\n"
         "0.0000,,5.0000\r\n0.1250,8000.0000,-2.5000\r\n0.2500,4000.0000,0.2500\r\n"},
        {{{0.0, -300.0, 12.0}, 8000, 6, kWindowHanning, false, true},
         "# rate_hz,8000\r\n# length_points,6\r\n# window,none\r\n"
         "time_ms,sample_value\r\n0.0000,0\r\n0.1250,-300\r\n0.2500,12\r\n"},
        // The band view: one row per band; a band too narrow for the data
        // length or cut off at half the rate says so in place of a level.
        {{{}, 48000, 4096, kWindowHanning, false, false, kBands, {-80.0, -6.0, -90.0}, {3, BandWeighting::kA}},
         "# rate_hz,48000,,\r\n# length_points,4096,,\r\n# window,Hanning,,\r\n# bands_per_octave,3,,\r\n"
         "# weighting,A,,\r\ncentre_hz,lower_edge_hz,upper_edge_hz,level_dbfs\r\n"
         "25.0000,22.4000,28.2000,too narrow\r\n1000.0000,891.3000,1122.0000,-6.0000\r\n"
         "20000.0000,17782.8000,22387.2000,past the top\r\n"},
        {{{}, 48000, 4096, kWindowHanning, false, false, kBands, {-80.0, -6.0, -90.0}, {24, BandWeighting::kZ}, 100.0},
         "# rate_hz,48000,,,\r\n# length_points,4096,,,\r\n# window,Hanning,,,\r\n# bands_per_octave,24,,,\r\n"
         "# weighting,Z,,,\r\ncentre_hz,lower_edge_hz,upper_edge_hz,level_dbfs,level_db_spl\r\n"
         "25.0000,22.4000,28.2000,too narrow,too narrow\r\n1000.0000,891.3000,1122.0000,-6.0000,94.0000\r\n"
         "20000.0000,17782.8000,22387.2000,past the top,past the top\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FrameCsv(c.frame), c.csv);
    }
}

}  // namespace
