#include "app/commands/menu_marks.h"

#include "app/commands/commands.h"
#include "app/commands/menu_tables.h"
#include "app/commands/device_commands.h"

namespace {

constexpr int kMarkable[] = {
    IDM_RATE_8000, IDM_RATE_22050, IDM_RATE_44100, IDM_RATE_48000, IDM_RATE_96000, IDM_RATE_192000,
    IDM_LENGTH_1024, IDM_LENGTH_2048, IDM_LENGTH_4096, IDM_LENGTH_8192, IDM_LENGTH_16384, IDM_LENGTH_32768,
    IDM_PAUSE_0, IDM_PAUSE_1, IDM_PAUSE_5, IDM_PAUSE_10, IDM_PAUSE_50, IDM_PAUSE_100, IDM_PAUSE_500,
    IDM_GRID_LINEAR, IDM_GRID_LOG,
    IDM_WINDOW_NONE, IDM_WINDOW_HANNING, IDM_WINDOW_HAMMING, IDM_WINDOW_BLACKMAN,
    IDM_RUN, IDM_STOP, IDM_REC,
    IDM_VIEW_WAVE, IDM_VIEW_FFT, IDM_VIEW_WAVE_FFT, IDM_VIEW_CEPSTRUM, IDM_VIEW_PITCH,
    DeviceCommandId(0), DeviceCommandId(1), DeviceCommandId(2), DeviceCommandId(3), DeviceCommandId(4),
    DeviceCommandId(5),
    IDM_COLOUR_ON, IDM_COLOUR_OFF,
};
static_assert(kSelectableDevices == 6, "one device item above for every selectable device");

constexpr int kSpectrumOnly[] = {
    IDM_WINDOW_NONE, IDM_WINDOW_HANNING, IDM_WINDOW_HAMMING, IDM_WINDOW_BLACKMAN,
    IDM_GRID_LINEAR, IDM_GRID_LOG,
    IDM_LENGTH_1024, IDM_LENGTH_2048, IDM_LENGTH_4096, IDM_LENGTH_8192, IDM_LENGTH_16384, IDM_LENGTH_32768,
};

class Marker {
public:
    explicit Marker(MenuMarks& marks) : marks_(marks) {}
    void Check(int id) {
        if (marks_.IsChecked(id) || marks_.checkedCount == MenuMarks::kMaxChecked) return;
        marks_.checked[marks_.checkedCount++] = id;
    }
    void Uncheck(int id) {
        for (std::size_t i = 0; i < marks_.checkedCount; ++i) {
            if (marks_.checked[i] == id) {
                marks_.checked[i] = marks_.checked[--marks_.checkedCount];
                return;
            }
        }
    }
    template <std::size_t N>
    void CheckEqual(const MenuItemValue (&table)[N], std::int32_t value) {
        for (const MenuItemValue& e : table) {
            if (e.value == value) Check(e.id);
        }
    }

private:
    MenuMarks& marks_;
};

}  // namespace

bool MenuMarks::IsChecked(int id) const {
    for (std::size_t i = 0; i < checkedCount; ++i) {
        if (checked[i] == id) return true;
    }
    return false;
}

MenuMarks ComputeMenuMarks(const AppSettings& s) {
    MenuMarks marks;
    Marker m(marks);
    m.CheckEqual(kRateItems, s.sampleRate);
    m.CheckEqual(kLengthItems, s.fftLength);
    m.CheckEqual(kPauseItems, s.pauseMs);
    if (s.logGrid == 0) m.Check(IDM_GRID_LINEAR);
    if (s.logGrid == 1) m.Check(IDM_GRID_LOG);
    m.CheckEqual(kWindowItems, s.windowKind);
    if (s.runState == kRun) m.Check(IDM_RUN);
    if (s.runState == kStop) m.Check(IDM_STOP);
    if (s.runState == kRec) {
        m.Check(IDM_REC);
        m.Check(IDM_RUN);
    }
    if (s.showWave == 1 && s.showSpectrum == 0) m.Check(IDM_VIEW_WAVE);
    if (s.showWave == 0 && s.showSpectrum == 1) m.Check(IDM_VIEW_FFT);
    if (s.showWave == 1 && s.showSpectrum == 1) m.Check(IDM_VIEW_WAVE_FFT);
    if (s.cepstrumMode == 1) {
        m.Uncheck(IDM_VIEW_FFT);
        m.Check(IDM_VIEW_CEPSTRUM);
        if (s.pitchOn == 1) m.Check(IDM_VIEW_PITCH);
    }
    if (s.deviceIndex >= 0 && s.deviceIndex < kSelectableDevices) m.Check(DeviceCommandId(s.deviceIndex));
    if (s.colourSpectrum == 1) m.Check(IDM_COLOUR_ON);
    if (s.colourSpectrum == 0) m.Check(IDM_COLOUR_OFF);
    marks.spectrumItemsEnabled = s.showSpectrum != 0;
    return marks;
}

std::span<const int> MarkableMenuIds() { return kMarkable; }
std::span<const int> SpectrumOnlyMenuIds() { return kSpectrumOnly; }
