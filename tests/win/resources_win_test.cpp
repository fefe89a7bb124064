// The resources the installer carries: the copy window's template as the
// dialog shows it, the animation and the icon.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "archive/copy_progress.h"
#include "archive/payload_format.h"
#include "resources/resource.h"
#include "shell/owner_window.h"
#include "tests/e2e/driver/win_driver.h"

namespace {

// ファイルのコピー中...
constexpr char kCopyCaption[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x83\x52\x83\x73\x81\x5b\x92\x86\x2e\x2e\x2e";
constexpr char kCancelText[] = "\xb7\xac\xdd\xbe\xd9";  // ｷｬﾝｾﾙ

std::string ResourceBytes(const char* name, const char* type) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

uint32_t U32(const std::string& bytes, size_t at) { return LoadU32(reinterpret_cast<const unsigned char*>(&bytes[at])); }
uint16_t U16(const std::string& bytes, size_t at) { return LoadU16(reinterpret_cast<const unsigned char*>(&bytes[at])); }

TEST(ResourcesTest, DialogTemplatesAreJapanese) {
    for (const char* name : {"COPYINGDELUX", "COPYING", "MAINDIALOG", "UNINSTALL", "ENDINSTALL_VISTA",
                             "ENDINSTALL_VISTA_SHORT", "ENDINSTALL", "ENDINSTALL_SHORT"})
        EXPECT_NE(FindResourceExA(nullptr, RT_DIALOG, name, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)), nullptr)
            << name;
}

TEST(ResourcesTest, AnimationIsA260By40Rle8ClipOf17FramesAt10PerSecond) {
    std::string avi = ResourceBytes("AVI_FILECOPY", "AVI");
    ASSERT_GT(avi.size(), 200u);
    ASSERT_EQ(avi.compare(0, 4, "RIFF"), 0);
    ASSERT_EQ(avi.compare(8, 4, "AVI "), 0);
    size_t avih = avi.find("avih");
    ASSERT_NE(avih, std::string::npos);
    size_t header = avih + 8;
    EXPECT_EQ(U32(avi, header), 100000u);      // microseconds per frame
    EXPECT_EQ(U32(avi, header + 16), 17u);     // frames
    EXPECT_EQ(U32(avi, header + 24), 1u);      // streams: video only
    EXPECT_EQ(U32(avi, header + 32), 260u);
    EXPECT_EQ(U32(avi, header + 36), 40u);
    size_t strf = avi.find("strf");
    ASSERT_NE(strf, std::string::npos);
    size_t bitmap = strf + 8;
    EXPECT_EQ(U16(avi, bitmap + 14), 8u);      // bits per pixel
    EXPECT_EQ(U32(avi, bitmap + 16), 1u);      // BI_RLE8
    EXPECT_EQ(U32(avi, bitmap + 32), 16u);     // colours used
}

TEST(ResourcesTest, AnimationControlOpensAndPlaysTheClip) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&controls);
    HWND animation = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_POPUP, 0, 0, 260, 40, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(animation, nullptr);
    EXPECT_TRUE(SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                             reinterpret_cast<LPARAM>("AVI_FILECOPY")));
    EXPECT_TRUE(SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
    SendMessageA(animation, ACM_STOP, 0, 0);
    DestroyWindow(animation);
}

TEST(ResourcesTest, IconHas32And16PixelImagesOf16Colours) {
    std::string group = ResourceBytes(MAKEINTRESOURCEA(IDI_VARNOK), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(U16(group, 4), 2u);
    for (size_t i = 0; i < 2; ++i) {
        size_t entry = 6 + 14 * i;
        int size = static_cast<unsigned char>(group[entry]);
        EXPECT_EQ(size, i == 0 ? 32 : 16);
        EXPECT_EQ(static_cast<unsigned char>(group[entry + 2]), 16);  // colours
        EXPECT_EQ(U16(group, entry + 6), 4u);                         // bits per pixel
        EXPECT_NE(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VARNOK), IMAGE_ICON, size, size, 0),
                  nullptr);
    }
}

// A DLGTEMPLATE read in order: fixed fields, then wide strings and DWORD-aligned items.
class TemplateReader {
public:
    explicit TemplateReader(std::string bytes) : bytes_(std::move(bytes)) {}
    uint32_t Dword() { return Fits(4) ? Take(4, U32(bytes_, at_)) : Take(4, 0u); }
    uint16_t Word() { return Fits(2) ? Take(2, U16(bytes_, at_)) : Take(2, uint16_t(0)); }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    std::wstring Text() {
        std::wstring text;
        while (wchar_t c = static_cast<wchar_t>(Word()))
            text += c;
        return text;
    }
    // A control's class: an ordinal (0xFFFF, then 0x0080 for BUTTON) or its name.
    std::wstring ClassName() {
        uint16_t first = Word();
        if (first == 0xFFFF)
            return Word() == 0x0080 ? L"BUTTON" : L"?";
        std::wstring name(1, static_cast<wchar_t>(first));
        if (first != 0)
            name += Text();
        CharUpperW(name.data());
        return name;
    }
    void AlignToDword() { at_ = (at_ + 3) & ~size_t(3); }
    bool Ok() const { return at_ <= bytes_.size(); }

private:
    bool Fits(size_t n) const { return at_ + n <= bytes_.size(); }
    template <typename T>
    T Take(size_t n, T value) {
        at_ += n;
        return value;
    }
    std::string bytes_;
    size_t at_ = 0;
};

std::wstring Wide(const char* shiftJis) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(932, 0, shiftJis, -1, wide, 256);
    return wide;
}

TEST(ResourcesTest, LauncherTemplateHoldsNinePushButtonsAndIsNotInitiallyVisible) {
    // ＶＡＲＮＯＫ アプリケーション スタートアップ
    constexpr char kCaption[] =
        "\x82\x75\x82\x60\x82\x71\x82\x6d\x82\x6e\x82\x6a\x20\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56"
        "\x83\x87\x83\x93\x20\x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76";
    constexpr char kFont[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック
    struct Button {
        uint16_t id;
        const char* text;
        int16_t x, y, cx, cy;
    };
    const Button buttons[] = {
        {1007, "Button8", 155, 55, 75, 14},  {1006, "Button7", 155, 70, 75, 14},  {1005, "Button6", 155, 85, 75, 14},
        {1004, "Button5", 155, 100, 75, 14}, {1003, "Button4", 155, 115, 75, 14}, {1002, "Button3", 155, 130, 75, 14},
        {1001, "Button2", 155, 145, 75, 14}, {1000, "Button1", 155, 160, 75, 14}, {1008, "Button9", 177, 7, 50, 14},
    };
    TemplateReader t(ResourceBytes("MAINDIALOG", RT_DIALOG));
    EXPECT_EQ(t.Dword(), DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT));
    EXPECT_EQ(t.Dword(), 0u);  // extended style
    ASSERT_EQ(t.Word(), std::size(buttons));
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 234);
    EXPECT_EQ(t.Short(), 179);
    EXPECT_EQ(t.Word(), 0u);  // no menu
    EXPECT_EQ(t.Word(), 0u);  // the dialog class
    EXPECT_EQ(t.Text(), Wide(kCaption));
    EXPECT_EQ(t.Word(), 9u);
    EXPECT_EQ(t.Text(), Wide(kFont));
    for (const Button& b : buttons) {
        t.AlignToDword();
        EXPECT_EQ(t.Dword(), DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON)) << b.id;
        EXPECT_EQ(t.Dword(), 0u) << b.id;
        int16_t rect[4] = {t.Short(), t.Short(), t.Short(), t.Short()};
        EXPECT_EQ(std::vector<int16_t>(rect, rect + 4), (std::vector<int16_t>{b.x, b.y, b.cx, b.cy})) << b.id;
        EXPECT_EQ(t.Word(), b.id);
        EXPECT_EQ(t.ClassName(), L"BUTTON") << b.id;
        EXPECT_EQ(t.Text(), Wide(b.text)) << b.id;
        EXPECT_EQ(t.Word(), 0u) << b.id;  // no creation data
    }
    EXPECT_TRUE(t.Ok());
}

TEST(CopyProgressTest, OpensCentredAndOwnedWithEmptyLabelAndBarsAtZero) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    SetOwnerWindow(owner);
    HWND window = OpenCopyProgress(7 * ProgressUnit + 5);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetCopyProgressWindow(), window);
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
    EXPECT_EQ(WindowText(window), kCopyCaption);
    EXPECT_EQ(WindowText(GetDlgItem(window, IDT_COPY_FILE_NAME)), "");
    EXPECT_EQ(WindowText(GetDlgItem(window, IDCANCEL)), kCancelText);
    EXPECT_EQ(ClassName(GetDlgItem(window, IDA_COPY_ANIMATION)), "SysAnimate32");
    EXPECT_EQ(SendDlgItemMessageA(window, IDP_COPY_FILE, PBM_GETRANGE, FALSE, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(window, IDP_COPY_TOTAL, PBM_GETRANGE, FALSE, 0), 7);
    EXPECT_EQ(SendDlgItemMessageA(window, IDP_COPY_TOTAL, PBM_GETPOS, 0, 0), 0);

    RECT rect;
    GetWindowRect(window, &rect);
    int expectedLeft = (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2;
    int expectedTop = (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2;
    EXPECT_EQ(rect.left, expectedLeft);
    EXPECT_EQ(rect.top, expectedTop);

    // A second window replaces the first; a small total still gets a range of one unit.
    HWND second = OpenCopyProgress(100);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendDlgItemMessageA(second, IDP_COPY_TOTAL, PBM_GETRANGE, FALSE, 0), 1);
    CloseCopyProgress();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(GetCopyProgressWindow(), nullptr);
    SetOwnerWindow(nullptr);
    DestroyWindow(owner);
}

}  // namespace
