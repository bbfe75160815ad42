// The main window as a user meets it: class and title, the whole menu bar with
// its exact texts and command ids, the accelerators, the About box, Exit, and
// the program's own resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/files/export_win.h"
#include "app/window/main_window_win.h"
#include "resources/resource_ids.h"
#include "tavrin_version.h"
#include "support/pump.h"
#include "support/temp_dir.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(Module());
        ASSERT_NE(hwnd_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) {
            DestroyWindow(hwnd_);
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    testsupport::ScopedTempDir dir_;  // no settings file of another test
    HWND hwnd_ = nullptr;
};

std::wstring WindowClass(HWND hwnd) {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 64);
    return buf;
}

std::wstring WindowTitle(HWND hwnd) {
    wchar_t buf[64] = {};
    GetWindowTextW(hwnd, buf, 64);
    return buf;
}

TEST_F(MainWindowTest, HasTheProgramsClassAndTitle) {
    EXPECT_EQ(WindowClass(hwnd_), L"QUOREL");
    EXPECT_EQ(WindowTitle(hwnd_), L"Tavrin");
    EXPECT_NE(CurrentApp(), nullptr);
}

TEST_F(MainWindowTest, FirstStartPlacesA600By500WindowCentred) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(hwnd_, &r));
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 500);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, cx >= 600 ? (cx - 600) / 2 : 0);
    EXPECT_EQ(r.top, cy >= 500 ? (cy - 500) / 2 : 0);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
}

// One line per menu entry, in menu order: nesting depth, command id (0 for a
// sub-menu, -1 for a separator) and exact text.
struct MenuLine {
    int depth;
    int id;
    std::wstring text;
    bool operator==(const MenuLine& o) const { return depth == o.depth && id == o.id && text == o.text; }
};

void Flatten(HMENU menu, int depth, std::vector<MenuLine>& out) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            out.push_back({depth, -1, L""});
            continue;
        }
        wchar_t text[128] = {};
        GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        out.push_back({depth, info.hSubMenu ? 0 : static_cast<int>(info.wID), text});
        if (info.hSubMenu) {
            Flatten(info.hSubMenu, depth + 1, out);
        }
    }
}

TEST_F(MainWindowTest, MenuBarHasEveryItemWithItsIdAndText) {
    const std::vector<MenuLine> expected = {
        {0, 0, L"ファイル(&F)"},
        {1, 32880, L"開く(&O)..."},
        {1, -1, L""},
        {1, 32901, L"画像をクリップボードにコピー(&C)\tCtrl+C"},
        {1, 32902, L"画像をPNGで保存(&P)..."},
        {1, 32903, L"現在のフレームをCSVで保存(&V)..."},
        {1, -1, L""},
        {1, 105, L"アプリケーションの終了(&X)"},
        {0, 0, L"デバイス(&D)"},
        {1, 32805, L"なし(&N)"},
        {0, 0, L"再生(&P)"},
        {1, 32790, L"&RUN\tSpace"}, {1, 32791, L"&STOP\tSpace"}, {1, -1, L""}, {1, 32792, L"R&EC\tCtrl+R"},
        {0, 0, L"表示(&V)"},
        {1, 32775, L"&WAVE"}, {1, 32777, L"W&AVE + FFT"}, {1, 32776, L"&FFT"},
        {1, 32859, L"ケプストラム(&C)"}, {1, 32864, L"ピッチ(&P)"}, {1, 32866, L"CA&L"},
        {1, 33301, L"CALを解除(&R)"}, {1, -1, L""},
        {1, 33220, L"オクターブバンド(&B)"},
        {1, 0, L"バンド幅(&D)"},
        {2, 33221, L"1/&1 オクターブ"}, {2, 33222, L"1/&3 オクターブ"}, {2, 33223, L"1/&6 オクターブ"},
        {2, 33224, L"1/1&2 オクターブ"}, {2, 33225, L"1/2&4 オクターブ"},
        {1, 0, L"周波数重み付け(&G)"},
        {2, 33226, L"Z (なし)(&Z)"}, {2, 33227, L"&A"}, {2, 33228, L"&C"},
        {0, 0, L"設定(&S)"},
        {1, 0, L"休止時間(&P)"},
        {2, 32796, L"&0msec"}, {2, 32841, L"&1msec"}, {2, 32798, L"&5msec"}, {2, 32799, L"&10msec"},
        {2, 32801, L"&50msec"}, {2, 32802, L"&100msec"}, {2, 32803, L"&500msec"},
        {1, -1, L""},
        {1, 0, L"サンプリング周波数(&R)"},
        {2, 32813, L"&8,000Hz"}, {2, 32814, L"&22,050Hz"}, {2, 32815, L"&44,100Hz"},
        {2, 32816, L"&48,000Hz"}, {2, 32817, L"&96,000Hz"}, {2, 32818, L"&192,000Hz"},
        {1, 0, L"チャンネル(&H)"},
        {2, 33401, L"左(&L)"}, {2, 33402, L"右(&R)"}, {2, 33400, L"ミックス (全チャンネルの平均)(&M)"}, {2, -1, L""},
        {2, 33403, L"チャンネル 3(&3)"}, {2, 33404, L"チャンネル 4(&4)"}, {2, 33405, L"チャンネル 5(&5)"},
        {2, 33406, L"チャンネル 6(&6)"}, {2, 33407, L"チャンネル 7(&7)"}, {2, 33408, L"チャンネル 8(&8)"},
        {1, 0, L"録音形式(&F)"},
        {2, 33410, L"16ビット PCM(&1)"}, {2, 33411, L"24ビット PCM(&2)"}, {2, 33412, L"32ビット 浮動小数点(&F)"},
        {1, -1, L""},
        {1, 0, L"窓関数(&W)"},
        {2, 32783, L"なし(&N)"}, {2, 32784, L"&Hanning"}, {2, 32785, L"Ha&mming"}, {2, 32786, L"&Blackman"},
        {1, 0, L"データ長(&D)"},
        {2, 32825, L"&1,024 ポイント"}, {2, 32826, L"&2,048 ポイント"}, {2, 32827, L"&4,096 ポイント"},
        {2, 32828, L"&8,192 ポイント"}, {2, 32832, L"&16,384 ポイント"}, {2, 32833, L"&32,768 ポイント"},
        {1, 0, L"X軸グリッド(&X)"},
        {2, 32838, L"通常(&L)"}, {2, 32839, L"対数(&O)"},
        {1, -1, L""},
        {1, 0, L"スペクトル着色(&C)"},
        {2, 32845, L"あり(&N)"}, {2, 32846, L"なし(&F)"},
        {1, 0, L"カラーマップ(&M)"},
        {2, 33200, L"レインボー(&R)"}, {2, 33201, L"マグマ(&M)"}, {2, 33202, L"グレー(&G)"},
        {1, -1, L""},
        {1, 0, L"平均化(&A)"},
        {2, 33210, L"なし(&O)"}, {2, 33211, L"指数 高速 (0.125秒)(&E)"}, {2, 33212, L"指数 低速 (1秒)(&S)"},
        {2, 33213, L"線形 (直近のフレーム)(&L)"}, {2, 33214, L"最大値ホールド(&M)"}, {2, -1, L""},
        {2, 33215, L"平均化をやり直す(&R)"}, {1, -1, L""},
        {1, 33230, L"レベル校正(&L)..."}, {1, 33231, L"校正を解除(&N)"},
        {0, 0, L"ヘルプ(&H)"},
        {1, 104, L"バージョン情報(&A)..."},
    };
    // The resource itself: in the window's menu the devices replace the
    // Device menu's placeholder (see capture_test).
    HMENU bar = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 6) << "File, Device, Play, View, Settings, Help";
    std::vector<MenuLine> actual;
    Flatten(bar, 0, actual);
    DestroyMenu(bar);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(actual[i] == expected[i]) << "entry " << i << ": id " << actual[i].id << " depth "
                                             << actual[i].depth << ", expected id " << expected[i].id;
    }
}

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// One resource in one language, as Windows loads it for a user of that
// language; empty when it is missing.
std::string ResourceBytes(LPCSTR type, int id, WORD language) {
    HRSRC found = FindResourceExA(Module(), type, MAKEINTRESOURCEA(id), language);
    if (!found) {
        return {};
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
    return std::string(data, SizeofResource(Module(), found));
}

std::vector<MenuLine> MenuIn(WORD language) {
    std::vector<MenuLine> lines;
    const std::string bytes = ResourceBytes(RT_MENU, IDR_MAIN_MENU, language);
    if (HMENU menu = bytes.empty() ? nullptr : LoadMenuIndirectW(bytes.data())) {
        Flatten(menu, 0, lines);
        DestroyMenu(menu);
    }
    return lines;
}

std::wstring AboutTextIn(WORD language) {
    const std::string bytes = ResourceBytes(RT_DIALOG, IDD_ABOUT, language);
    if (bytes.empty()) {
        return {};
    }
    HWND box = CreateDialogIndirectParamW(Module(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                                          +[](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    wchar_t text[64] = {};
    GetDlgItemTextW(box, IDC_ABOUT_TEXT, text, 64);
    DestroyWindow(box);
    return text;
}

// Which of the 16 strings of a string-table block are there (bit i: string i).
unsigned StringsPresent(const std::string& block) {
    unsigned present = 0;
    size_t at = 0;
    for (int i = 0; i < 16 && at + 2 <= block.size(); ++i) {
        const auto length = static_cast<unsigned char>(block[at]) | static_cast<unsigned char>(block[at + 1]) << 8;
        present |= length ? 1u << i : 0u;
        at += 2 + 2 * length;
    }
    return present;
}

// The English menu has every Japanese item at the same place with the same
// command, in plain ASCII texts; every Japanese menu, dialog, accelerator table
// and string has an English twin; both About boxes show the project's version.
TEST(Resources, EnglishInterfaceMirrorsTheJapaneseOne) {
    for (LPCSTR type : {RT_MENU, RT_DIALOG, RT_ACCELERATOR, RT_STRING}) {
        std::vector<int> names;
        EnumResourceNamesA(Module(), type, +[](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) -> BOOL {
            reinterpret_cast<std::vector<int>*>(list)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        }, reinterpret_cast<LONG_PTR>(&names));
        for (int name : names) {
            const std::string japanese = ResourceBytes(type, name, kJapanese);
            const std::string english = ResourceBytes(type, name, kEnglish);
            EXPECT_EQ(english.empty(), japanese.empty()) << "type " << reinterpret_cast<ULONG_PTR>(type) << " id " << name;
            if (type == RT_STRING) {
                EXPECT_EQ(StringsPresent(english), StringsPresent(japanese)) << "string block " << name;
            }
        }
    }

    const std::vector<MenuLine> japanese = MenuIn(kJapanese);
    const std::vector<MenuLine> english = MenuIn(kEnglish);
    ASSERT_FALSE(japanese.empty());
    ASSERT_EQ(english.size(), japanese.size());
    for (size_t i = 0; i < english.size(); ++i) {
        EXPECT_EQ(english[i].depth, japanese[i].depth) << "entry " << i;
        EXPECT_EQ(english[i].id, japanese[i].id) << "entry " << i;
        EXPECT_EQ(english[i].text.empty(), japanese[i].text.empty()) << "entry " << i;
        // Every menu and item can be reached from the keyboard, in both languages.
        if (!english[i].text.empty()) {
            EXPECT_NE(english[i].text.find(L'&'), std::wstring::npos) << "entry " << i;
            EXPECT_NE(japanese[i].text.find(L'&'), std::wstring::npos) << "entry " << i;
        }
        for (wchar_t c : english[i].text) {
            EXPECT_LT(c, 0x80) << "entry " << i << " of the English menu";
        }
    }
    EXPECT_EQ(ResourceBytes(RT_ACCELERATOR, IDR_ACCELERATORS, kEnglish),
              ResourceBytes(RT_ACCELERATOR, IDR_ACCELERATORS, kJapanese));
    const std::wstring version = L"" TAVRIN_VERSION_TEXT;
    EXPECT_EQ(AboutTextIn(kJapanese), L"Tavrin バージョン " + version);
    EXPECT_EQ(AboutTextIn(kEnglish), L"Tavrin version " + version);
}

std::uint32_t BigEndian32(const std::vector<unsigned char>& b, size_t at) {
    return (b[at] << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

// What the File menu's export items write: the picture on the clipboard (a
// 24-bit DIB) and as a PNG at the client area's size, made from the program's
// own drawing, so a window lying over the program is not in it; the frame as
// CSV with a row per bin under its notes and header; a directory that cannot
// be written leaves nothing behind.
TEST_F(MainWindowTest, ExportsPictureAndFrame) {
    App& app = *CurrentApp();
    testsupport::PumpPending();
    RECT client{};
    GetClientRect(hwnd_, &client);

    // A window of a colour the program never draws, over its middle.
    constexpr COLORREF kCover = RGB(201, 17, 233);
    HBRUSH coverBrush = CreateSolidBrush(kCover);
    WNDCLASSA coverClass{};
    coverClass.lpfnWndProc = DefWindowProcA;
    coverClass.hInstance = Module();
    coverClass.hbrBackground = coverBrush;
    coverClass.lpszClassName = "ExportCover";
    RegisterClassA(&coverClass);
    POINT middle{client.right / 4, client.bottom / 4};
    ClientToScreen(hwnd_, &middle);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "ExportCover", "", WS_POPUP | WS_VISIBLE, middle.x, middle.y,
                                 client.right / 2, client.bottom / 2, nullptr, nullptr, Module(), nullptr);
    ASSERT_NE(cover, nullptr);
    UpdateWindow(cover);
    testsupport::PumpPending();

    ASSERT_TRUE(CopyPictureToClipboard(app));
    ASSERT_TRUE(OpenClipboard(hwnd_));
    HGLOBAL dib = GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(header->biWidth, client.right);
    EXPECT_EQ(header->biHeight, client.bottom);
    const auto* rows = reinterpret_cast<const BYTE*>(header + 1);
    const int stride = (header->biWidth * 3 + 3) & ~3;
    int covered = 0;
    for (int y = 0; y < header->biHeight; ++y) {
        for (int x = 0; x < header->biWidth; ++x) {
            const BYTE* p = rows + static_cast<size_t>(y) * stride + 3 * x;
            covered += RGB(p[2], p[1], p[0]) == kCover;
        }
    }
    GlobalUnlock(dib);
    CloseClipboard();
    DestroyWindow(cover);
    DeleteObject(coverBrush);
    EXPECT_EQ(covered, 0) << "pixels of the window lying over the program";

    ASSERT_TRUE(SavePicturePng(app, L"picture.png"));
    const std::vector<unsigned char> png = testsupport::ReadFileBytes("picture.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(BigEndian32(png, 16), static_cast<std::uint32_t>(client.right)) << "IHDR width";
    EXPECT_EQ(BigEndian32(png, 20), static_cast<std::uint32_t>(client.bottom)) << "IHDR height";

    const FrameSnapshot frame = TakeFrameSnapshot(app);
    EXPECT_EQ(frame.values.size(), static_cast<size_t>(app.settings.fftLength / 2));
    ASSERT_TRUE(WriteFileWhole(L"spectrum.csv", FrameCsv(frame)));
    const std::vector<unsigned char> csv = testsupport::ReadFileBytes("spectrum.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), app.settings.fftLength / 2 + 4) << "3 notes, 1 header";

    EXPECT_FALSE(SavePicturePng(app, L"no-such-directory\\picture.png"));
    EXPECT_EQ(GetFileAttributesW(L"no-such-directory\\picture.png.tmp"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndEndsTheMessageLoop) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_EQ(CurrentApp(), nullptr);
    EXPECT_EQ(RunMessageLoop(nullptr), 0);
}

TEST_F(MainWindowTest, DestroyKeepsTheLastPlacement) {
    SetWindowPos(hwnd_, nullptr, 30, 40, 700, 520, SWP_NOZORDER);
    // The record dies with the window; look at it from inside WM_DESTROY's
    // aftermath through a subclass that copies it before it goes.
    static AppSettings seen;
    static WNDPROC previous;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NCDESTROY && CurrentApp()) {
                seen = CurrentApp()->settings;
            }
            return CallWindowProcA(previous, h, m, w, l);
        })));
    DestroyWindow(hwnd_);
    EXPECT_EQ(seen.winX, 30);
    EXPECT_EQ(seen.winY, 40);
    EXPECT_EQ(seen.winWidth, 700);
    EXPECT_EQ(seen.winHeight, 520);
}

// Records the commands that reach it, for the accelerator test.
LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, LOWORD(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(Accelerators, AltQuestionMarkAndAltSlashOpenAboutCtrlCCopiesCtrlRRecordsSpaceToggles) {
    HACCEL table = LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = Module();
    wc.lpszClassName = "AcceleratorRecorder";
    RegisterClassA(&wc);
    HWND target = CreateWindowA("AcceleratorRecorder", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, Module(), nullptr);
    ASSERT_NE(target, nullptr);

    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    struct Case { char key; bool translated; };
    for (const Case c : {Case{'?', true}, Case{'/', true}, Case{'x', false}}) {
        SetWindowLongPtrA(target, GWLP_USERDATA, 0);
        MSG msg{target, WM_SYSCHAR, static_cast<WPARAM>(c.key), 0x20000001, 0, {}};
        const int translated = TranslateAcceleratorA(target, table, &msg);
        testsupport::PumpPending();
        EXPECT_EQ(translated != 0, c.translated) << c.key;
        EXPECT_EQ(GetWindowLongPtrA(target, GWLP_USERDATA), c.translated ? IDM_ABOUT : 0) << c.key;
    }
    keys[VK_MENU] = 0;
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SetWindowLongPtrA(target, GWLP_USERDATA, 0);
    MSG copy{target, WM_KEYDOWN, 'C', 0x002E0001, 0, {}};
    EXPECT_NE(TranslateAcceleratorA(target, table, &copy), 0) << "Ctrl+C";
    testsupport::PumpPending();
    EXPECT_EQ(GetWindowLongPtrA(target, GWLP_USERDATA), IDM_COPY_PICTURE);
    MSG rec{target, WM_KEYDOWN, 'R', 0x00130001, 0, {}};
    EXPECT_NE(TranslateAcceleratorA(target, table, &rec), 0) << "Ctrl+R";
    testsupport::PumpPending();
    EXPECT_EQ(GetWindowLongPtrA(target, GWLP_USERDATA), IDM_REC);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    MSG space{target, WM_KEYDOWN, VK_SPACE, 0x00390001, 0, {}};
    EXPECT_NE(TranslateAcceleratorA(target, table, &space), 0) << "Space";
    testsupport::PumpPending();
    EXPECT_EQ(GetWindowLongPtrA(target, GWLP_USERDATA), IDM_PLAY_TOGGLE);
    DestroyWindow(target);
}

HWND g_seenDialog;
HWND g_seenOwner;

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = testsupport::FindThreadDialog();
    if (dialog) {
        g_seenDialog = dialog;
        g_seenOwner = GetWindow(dialog, GW_OWNER);
        KillTimer(nullptr, id);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

TEST_F(MainWindowTest, AboutBoxIsModalAndClosesWithOk) {
    g_seenDialog = nullptr;
    g_seenOwner = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseAboutBox);
    ASSERT_NE(timer, 0u);
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);  // returns when the box is closed
    KillTimer(nullptr, timer);
    ASSERT_NE(g_seenDialog, nullptr);
    EXPECT_EQ(g_seenOwner, hwnd_);
    EXPECT_FALSE(IsWindow(g_seenDialog));
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
}

TEST(Resources, StringsLoad) {
    char buf[kResourceStringBytes] = {};
    EXPECT_GT(LoadStringA(Module(), IDS_APP_TITLE, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "Tavrin");
    EXPECT_GT(LoadStringA(Module(), IDS_CLASS_NAME, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "QUOREL");
}

TEST(Resources, ViewCursorHasItsHotSpotInTheMiddle) {
    HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(IDC_VIEW_CURSOR));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_NE(LoadIconA(Module(), MAKEINTRESOURCEA(IDI_APP)), nullptr);
}

TEST(Resources, TextureBitmapIsADarkMottledGreen) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(Module(), MAKEINTRESOURCEA(IDB_TEXTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 803);
    EXPECT_EQ(dib.dsBm.bmHeight, 341);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    const auto* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    int minGreen = 255, maxGreen = 0, maxBlue = 0, maxRed = 0;
    for (int y = 0; y < 341; ++y) {
        const BYTE* row = bits + static_cast<size_t>(y) * dib.dsBm.bmWidthBytes;
        for (int x = 0; x < 803; ++x) {
            maxBlue = std::max<int>(maxBlue, row[3 * x]);
            minGreen = std::min<int>(minGreen, row[3 * x + 1]);
            maxGreen = std::max<int>(maxGreen, row[3 * x + 1]);
            maxRed = std::max<int>(maxRed, row[3 * x + 2]);
        }
    }
    EXPECT_EQ(maxRed, 0);
    EXPECT_GE(minGreen, 15);
    EXPECT_LE(maxGreen, 77);
    EXPECT_LE(maxBlue, 27);
    EXPECT_GT(maxGreen - minGreen, 30) << "mottled, not flat";
    DeleteObject(bitmap);
}

}  // namespace
