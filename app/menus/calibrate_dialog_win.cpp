#include "app/menus/calibrate_dialog_win.h"

#include <charconv>
#include <string>

#include "resources/resource_ids.h"

namespace {

constexpr int kTextChars = 512;
constexpr int kLevelChars = 32;

struct DialogState {
    HINSTANCE instance;
    double level = kDefaultCalibratorLevelDb;
};

void TellBadLevel(HWND dialog, HINSTANCE instance) {
    wchar_t text[kTextChars] = {};
    wchar_t title[kTextChars] = {};
    LoadStringW(instance, IDS_CALIBRATE_BAD_LEVEL, text, kTextChars);
    LoadStringW(instance, IDS_APP_TITLE, title, kTextChars);
    MessageBoxW(dialog, text, title, MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK CalibrateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetDlgItemTextA(dialog, IDC_CALIBRATE_LEVEL, "94.0");
        return TRUE;
    }
    case WM_COMMAND: {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK && state) {
            char text[kLevelChars] = {};
            GetDlgItemTextA(dialog, IDC_CALIBRATE_LEVEL, text, kLevelChars);
            const std::optional<double> level = ParseCalibratorLevel(text);
            if (!level) {
                TellBadLevel(dialog, state->instance);
                return TRUE;
            }
            state->level = *level;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

std::optional<double> ParseCalibratorLevel(std::string_view text) {
    std::string s(text);
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
    for (char& c : s) {
        if (c == ',') c = '.';
    }
    double level = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), level);
    if (error != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    if (!(level >= kMinCalibratorLevelDb && level <= kMaxCalibratorLevelDb)) return std::nullopt;
    return level;
}

std::optional<double> AskCalibratorLevel(HINSTANCE instance, HWND owner) {
    DialogState state{instance};
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CALIBRATE), owner, CalibrateProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.level;
}
