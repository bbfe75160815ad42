#include "app/files/export_win.h"

#include <commdlg.h>
#include <initguid.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "app/program/app_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/files/window_picture_win.h"
#include "app/settings/extra_settings.h"
#include "base/com_ref_win.h"
#include "base/unique_handle_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kDefaultPngName[] = L"tavrin.png";
constexpr wchar_t kDefaultCsvName[] = L"spectrum.csv";
constexpr wchar_t kDefaultBandCsvName[] = L"bands.csv";
constexpr wchar_t kPngFilter[] = L"PNG (*.png)\0*.png\0";
constexpr wchar_t kCsvFilter[] = L"CSV (*.csv)\0*.csv\0";
constexpr wchar_t kTemporarySuffix[] = L".tmp";
constexpr int kMessageBytes = 512;

// The picture the screen shows now: composed from the views right after a
// pass has copied them to the screen (readouts included), or at once when no
// frame loop runs.
WindowPicture TakePicture(App& app) {
    WindowPicture picture;
    auto compose = [&app, &picture] { picture = ComposeWindowPicture(app.parts, app.hwnd); };
    if (app.frameLoop) {
        app.frameLoop->RunAfterScreenCopy(compose);
    } else {
        std::lock_guard<std::mutex> hold(app.drawLock);
        compose();
    }
    return picture;
}

}  // namespace

bool EncodePng(const WindowPicture& picture, std::string& out) {
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put())))) {
        return false;
    }
    ComRef<IStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(picture.width, picture.height))) {
        return false;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        return false;
    }
    const UINT stride = static_cast<UINT>(picture.width) * 3;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * picture.height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        std::memcpy(&rows[i * 3], &picture.pixels[i], 3);
    }
    if (FAILED(frame->WritePixels(picture.height, stride, static_cast<UINT>(rows.size()), rows.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
        return false;
    }
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream.get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return false;
    }
    const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const void* data = GlobalLock(memory);
    if (!data) {
        return false;
    }
    out.assign(static_cast<const char*>(data), size);
    GlobalUnlock(memory);
    return true;
}

namespace {

std::wstring CurrentDirectory() {
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
    return n > 0 && n < MAX_PATH ? std::wstring(dir, n) : std::wstring();
}

// Asks for a file to save to, starting in the current directory with `name`;
// empty when the user cancelled or the dialog failed (then `failed` is set).
std::wstring AskSavePath(HWND owner, const wchar_t* name, const wchar_t* filter, const wchar_t* extension,
                         bool& failed) {
    wchar_t file[MAX_PATH] = {};
    wcsncpy(file, name, MAX_PATH - 1);
    const std::wstring dir = CurrentDirectory();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = extension;
    // The current directory stays where it is: param.bin and the recording live there.
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (GetSaveFileNameW(&ofn)) {
        return std::wstring(file);
    }
    failed = CommDlgExtendedError() != 0;
    return std::wstring();
}

void Tell(App& app, UINT textId, const std::wstring& path) {
    wchar_t format[kMessageBytes] = {};
    wchar_t title[kMessageBytes] = {};
    LoadStringW(app.hInstance, textId, format, kMessageBytes);
    LoadStringW(app.hInstance, IDS_APP_TITLE, title, kMessageBytes);
    wchar_t text[kMessageBytes * 2] = {};
    _snwprintf(text, kMessageBytes * 2 - 1, format, path.c_str());
    MessageBoxW(app.hwnd, text, title, MB_OK | MB_ICONWARNING);
}

// A cancelled dialog changes nothing and says nothing; only a failure gets a
// message. The window may have gone while the dialog was open (logoff,
// WM_CLOSE): then nothing more is done.
void SaveWithDialog(App& app, const wchar_t* name, const wchar_t* filter, const wchar_t* extension,
                    bool (*save)(App&, const std::wstring&)) {
    ComScope com;
    bool failed = false;
    const std::wstring path = AskSavePath(app.hwnd, name, filter, extension, failed);
    if (app.windowClosed) {
        return;
    }
    if (path.empty()) {
        if (failed) {
            Tell(app, IDS_EXPORT_FAILED, name);
        }
        return;
    }
    if (!save(app, path)) {
        Tell(app, IDS_EXPORT_FAILED, path);
    }
}

bool SaveFrameCsv(App& app, const std::wstring& path) {
    return WriteFileWhole(path, FrameCsv(TakeFrameSnapshot(app)));
}

}  // namespace

bool IsExportCommand(int id) { return id == IDM_COPY_PICTURE || id == IDM_SAVE_PNG || id == IDM_SAVE_CSV; }

void RunExportCommand(App& app, int id) {
    switch (id) {
    case IDM_COPY_PICTURE:
        if (!CopyPictureToClipboard(app)) {
            Tell(app, IDS_COPY_FAILED, std::wstring());
        }
        break;
    case IDM_SAVE_PNG:
        SaveWithDialog(app, kDefaultPngName, kPngFilter, L"png", &SavePicturePng);
        break;
    case IDM_SAVE_CSV:
        SaveWithDialog(app, app.extraSettings && app.extraSettings->bandView ? kDefaultBandCsvName : kDefaultCsvName,
                       kCsvFilter, L"csv", &SaveFrameCsv);
        break;
    default:
        break;
    }
}

bool CopyPictureToClipboard(App& app) {
    const WindowPicture picture = TakePicture(app);
    if (picture.pixels.empty()) {
        return false;
    }
    const std::string dib = PackedDib24(picture);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (!memory) {
        return false;
    }
    auto* data = static_cast<std::uint8_t*>(GlobalLock(memory));
    if (!data) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(data, dib.data(), dib.size());
    GlobalUnlock(memory);
    if (!OpenClipboard(app.hwnd)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, memory) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(memory);  // still ours when the clipboard refused it
    }
    return placed;
}

bool SavePicturePng(App& app, const std::wstring& path) {
    const WindowPicture picture = TakePicture(app);
    std::string png;
    ComScope com;
    return !picture.pixels.empty() && EncodePng(picture, png) && WriteFileWhole(path, png);
}

FrameSnapshot TakeFrameSnapshot(App& app) {
    FrameSnapshot snapshot;
    if (!app.frameLoop) {
        return snapshot;
    }
    snapshot.sampleRate = app.settings.sampleRate;
    // The WAVE view alone shows samples; with a spectrum shown, the spectrum is saved.
    snapshot.wave = app.settings.showWave != 0 && app.settings.showSpectrum == 0;
    snapshot.splOffsetDb = app.options.SplOffsetDb();
    // The frame's buffers hold still only between passes.
    app.frameLoop->RunBetweenPasses([&app, &snapshot] {
        const FrameData& frame = app.frameLoop->LastFrame();
        if (snapshot.wave && frame.rawFrame) {
            // The samples the waveform draws: the frame's first half.
            snapshot.values.assign(frame.rawFrame, frame.rawFrame + frame.sampleCount / 2);
        } else if (!snapshot.wave && !frame.bands.empty()) {
            // The band view: its bars' levels.
            snapshot.bands.assign(frame.bands.begin(), frame.bands.end());
            snapshot.bandLevels.assign(frame.bandLevels.begin(), frame.bandLevels.end());
            snapshot.bandChoice = {frame.bandFraction, frame.bandWeighting};
        } else if (!snapshot.wave && frame.displayValues) {
            snapshot.values.assign(frame.displayValues, frame.displayValues + frame.binCount);
        }
        snapshot.length = frame.sampleCount;
        snapshot.windowKind = frame.windowKind;
        snapshot.cepstrum = frame.cepstrum;
    });
    return snapshot;
}

bool WriteFileWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + kTemporarySuffix;
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    // On the disk before it takes the old file's place, so a crash or a
    // power cut leaves the old file or the new one, never an empty one.
    const bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file.get());
    const bool closed = file.Close();
    if (!ok || !closed ||
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
