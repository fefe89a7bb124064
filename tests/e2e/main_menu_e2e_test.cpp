// The real installer's launcher under Wine: the button column of each
// layout, the picture as the screen shows it, the buttons, keys and close
// box, and a picture that is missing or does not decode.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/win_driver.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/e2e/launcher.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kPaintTimeoutMs = 10000;
constexpr DWORD kExitFailure = 0xFFFFFFFF;  // exit code -1

constexpr char kExit[] = "\x8f\x49\x97\xb9";                                             // 終了
constexpr char kDirectX[] = "DirectX\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";  // DirectXインストール
constexpr char kInstall[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";          // インストール
constexpr char kGuideLabel[] = "\x82\xcd\x82\xb6\x82\xdf\x82\xc9";                        // はじめに
// Ffopen : ファイル[insttscr.rct]の読み込みで失敗しました
constexpr char kPictureMissingText[] =
    "Ffopen : \x83\x74\x83\x40\x83\x43\x83\x8b[insttscr.rct]\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc5\x8e\xb8"
    "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// A picture file as varnok-pack decodes it to PPM ("P6", width, height, 255, RGB rows).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    COLORREF At(int x, int y) const {
        const unsigned char* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
        return RGB(p[0], p[1], p[2]);
    }
};

Picture ReadPpm(const std::string& path) {
    Picture picture;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    int max = 0;
    if (!file || std::fscanf(file.get(), "P6 %d %d %d", &picture.width, &picture.height, &max) != 3 || max != 255 ||
        std::fgetc(file.get()) == EOF)
        return {};
    picture.rgb.resize(3 * static_cast<size_t>(picture.width) * picture.height);
    if (std::fread(picture.rgb.data(), 1, picture.rgb.size(), file.get()) != picture.rgb.size())
        return {};
    return picture;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The client rectangles of the window's visible children.
std::vector<RECT> ChildRects(HWND window) {
    std::vector<RECT> rects;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        if (!IsWindowVisible(child) || !GetWindowRect(child, &r))
            continue;
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        rects.push_back(r);
    }
    return rects;
}

bool UnderAChild(const std::vector<RECT>& children, int x, int y) {
    POINT p = {x, y};
    for (const RECT& r : children) {
        if (PtInRect(&r, p))
            return true;
    }
    return false;
}

// Polls the screen until `painted` holds for the window's client area.
template <typename Check>
bool WaitForPaint(HWND window, Check painted) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPaintTimeoutMs; Sleep(100)) {
        if (painted(CaptureClient(window)))
            return true;
    }
    return false;
}

// Polls the file until it holds a whole quoted command line; "" on timeout.
std::string WaitForCommandLine(const std::string& path) {
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kRunTimeoutMs; Sleep(50)) {
        text = ReadFile(path);
        if (text.size() > 2 && text.back() == '"')
            return text;
    }
    return "";
}

// The Wine prefix knows no viewer for .txt files. While this lives they open
// with the marker program, which leaves its command line beside itself;
// the association is put back as it was afterwards.
class TxtViewer {
public:
    explicit TxtViewer(const std::string& program) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            existed_ = true;
            char value[256] = {};
            LONG size = sizeof value - 1;
            if (RegQueryValueA(key, nullptr, value, &size) == ERROR_SUCCESS)
                oldType_ = value;
            RegCloseKey(key);
        }
        SetDefault(".txt", kProgId);
        SetDefault(std::string(kProgId) + "\\shell\\open\\command", "\"" + program + "\" \"%1\"");
    }
    ~TxtViewer() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
        if (!existed_)
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");
        else
            SetDefault(".txt", oldType_);
    }
    TxtViewer(const TxtViewer&) = delete;
    TxtViewer& operator=(const TxtViewer&) = delete;

private:
    static constexpr char kProgId[] = "VarnokE2E.viewer";
    static void SetDefault(const std::string& key, const std::string& value) {
        RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
    }
    bool existed_ = false;
    std::string oldType_;
};

class MainMenuTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = WorkFolders(); }

    // Starts a fixture installer and waits for its launcher, whose column
    // from the bottom must read `column`; every other slot is destroyed.
    HWND OpenMenu(const char* program, const std::string& titleBar, const std::vector<std::string>& column) {
        std::string path = Fixture(program);
        installer_ = std::make_unique<TestProcess>(path, path.substr(0, path.rfind('\\')));
        EXPECT_TRUE(installer_->Started()) << path << ": error " << installer_->StartError();
        HWND menu = WaitForDialog(installer_->Id(), (titleBar + STARTUP_SUFFIX).c_str(), kRunTimeoutMs);
        EXPECT_NE(menu, nullptr) << "no launcher; exit code " << installer_->WaitForExit(0);
        if (!menu)
            return nullptr;
        if (!GetDlgItem(menu, kMenuSlotIdBase)) {
            ADD_FAILURE() << "a box instead of the launcher: " << MessageBoxText(menu);
            return nullptr;
        }
        for (int slot = 0; slot < kMenuSlots; ++slot) {
            HWND button = GetDlgItem(menu, kMenuSlotIdBase + slot);
            if (slot < static_cast<int>(column.size())) {
                EXPECT_NE(button, nullptr) << "slot " << slot;
                EXPECT_EQ(button ? WindowText(button) : "", column[slot]) << "slot " << slot;
                EXPECT_TRUE(button && IsWindowVisible(button)) << "slot " << slot;
            } else {
                EXPECT_EQ(button, nullptr) << "slot " << slot << " should be destroyed";
            }
        }
        return menu;
    }

    // The run ends with 0 and takes its WorkFolder with it.
    void ExpectCleanEnd() {
        EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), 0u);
        EXPECT_EQ(WorkFolders(), before_);
    }

    std::set<std::string> before_;
    std::unique_ptr<TestProcess> installer_;
};

// The picture is copied 1:1 at margins taken from the client height: every
// pixel of it on screen that no button covers, and the dialog's background
// just outside it.
TEST_F(MainMenuTest, BasicLayoutPaintsThePictureAndExitEndsTheRun) {
    Picture picture = ReadPpm(Fixture("insttscr.ppm"));
    ASSERT_EQ(picture.width, 256);
    ASSERT_EQ(picture.height, 256);
    HWND menu = OpenMenu("normal/setup.exe", "E2E_TEST", {kExit, kInstall});
    ASSERT_NE(menu, nullptr);

    RECT client;
    GetClientRect(menu, &client);
    int x = (client.bottom - picture.width) / 2;
    int y = (client.bottom - picture.height) / 2;
    ASSERT_GT(x, 0) << "client height " << client.bottom;
    COLORREF background = GetSysColor(COLOR_3DFACE);
    std::vector<RECT> buttons = ChildRects(menu);
    int mismatches = -1;
    bool painted = WaitForPaint(menu, [&](const ClientCapture& screen) {
        if (screen.width < x + picture.width || screen.height < y + picture.height)
            return false;
        mismatches = 0;
        for (int row = 0; row < picture.height; ++row) {
            for (int column = 0; column < picture.width; ++column) {
                if (!UnderAChild(buttons, x + column, y + row))
                    mismatches += screen.At(x + column, y + row) != picture.At(column, row);
            }
        }
        return mismatches == 0 && screen.At(x - 1, y + 100) == background && screen.At(x + 100, y - 1) == background &&
               screen.At(x + picture.width, y + 100) == background;
    });
    EXPECT_TRUE(painted) << "picture at (" << x << ", " << y << "), client height " << client.bottom << ": "
                         << mismatches << " pixels differ";

    PressButton(menu, kMenuSlotIdBase);  // 終了
    ExpectCleanEnd();
}

// Esc and Enter come first in the queue; the readme's viewer starts only
// if the launcher was still there to take the click after them.
TEST_F(MainMenuTest, FullLayoutOpensTheReadmeStartsDirectXAndTheCloseBoxEndsTheRun) {
    std::string marker = Fixture("menu-full/DirectX/dxsetup.exe.ran");
    DeleteFileA(marker.c_str());
    HWND menu = OpenMenu("menu-full/setup.exe", "E2E_MENU_FULL", {kExit, kDirectX, kGuideLabel, kInstall});
    ASSERT_NE(menu, nullptr);

    PressKey(menu, VK_ESCAPE);
    PressKey(menu, VK_RETURN);
    // The shell is handed guide.txt (INSTREADMEFL) relative to the WorkFolder.
    std::string viewer = Fixture("viewer/viewer.exe");
    DeleteFileA((viewer + ".ran").c_str());
    {
        TxtViewer association(viewer);
        PressButton(menu, kMenuSlotIdBase + 2);
        std::string ran = WaitForCommandLine(viewer + ".ran");
        std::string prefix = "\"" + viewer + "\" \"";
        ASSERT_EQ(ran.compare(0, prefix.size(), prefix), 0) << ran;
        std::string opened = ran.substr(prefix.size(), ran.size() - prefix.size() - 1);
        EXPECT_NE(opened.find("\\VezuDURuvedarOvurod_"), std::string::npos) << opened;
        EXPECT_EQ(ReadFile(opened), "guide for the e2e test\r\n") << opened;
    }
    DeleteFileA((viewer + ".ran").c_str());

    PressButton(menu, kMenuSlotIdBase + 1);
    EXPECT_EQ(WaitForCommandLine(marker), "\"" + Fixture("menu-full/DirectX/dxsetup.exe") + "\"");
    DeleteFileA(marker.c_str());

    EXPECT_EQ(installer_->WaitForExit(0), STILL_ACTIVE);
    PressCloseBox(menu);
    ExpectCleanEnd();
}

// Where the picture would be, the dialog's own background colour.
TEST_F(MainMenuTest, PictureThatDoesNotDecodeLeavesTheBackground) {
    HWND menu = OpenMenu("menu-readme/setup.exe", "E2E_MENU_README", {kExit, "readme", kInstall});
    ASSERT_NE(menu, nullptr);
    RECT button;
    GetWindowRect(GetDlgItem(menu, kMenuSlotIdBase), &button);
    POINT buttonLeft = {button.left, button.top};
    ScreenToClient(menu, &buttonLeft);
    COLORREF background = GetSysColor(COLOR_3DFACE);
    int stray = -1;
    bool blank = WaitForPaint(menu, [&](const ClientCapture& screen) {
        if (screen.width < buttonLeft.x)
            return false;
        stray = 0;
        for (int row = 0; row < screen.height; ++row) {
            for (int column = 0; column < buttonLeft.x; ++column)
                stray += screen.At(column, row) != background;
        }
        return stray == 0;
    });
    EXPECT_TRUE(blank) << stray << " pixels left of the buttons are not the background";
    PressButton(menu, kMenuSlotIdBase);
    ExpectCleanEnd();
}

// The locator's question comes while the launcher initialises, still hidden:
// it is owned by the launcher and carries its title. Cancel ends the run
// with -1 and, as every Cancel does, leaves the WorkFolder.
TEST_F(MainMenuTest, MissingPictureAsksOwnedByTheLauncherAndCancelEndsWithMinusOne) {
    std::string path = Fixture("no-picture/setup.exe");
    installer_ = std::make_unique<TestProcess>(path, path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(installer_->Started());
    HWND box = WaitForMessageBox(installer_->Id(), kRunTimeoutMs);
    ASSERT_NE(box, nullptr) << "no question; exit code " << installer_->WaitForExit(0);
    EXPECT_EQ(MessageBoxText(box), kPictureMissingText);
    EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDCANCEL, IDRETRY}));
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(WindowText(owner), "E2E_NO_PICTURE" STARTUP_SUFFIX);
    EXPECT_NE(GetDlgItem(owner, kMenuSlotIdBase), nullptr) << "the owner is the launcher";
    EXPECT_EQ(WindowText(box), "E2E_NO_PICTURE" STARTUP_SUFFIX);

    PressButton(box, IDCANCEL);
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), kExitFailure);
    EXPECT_EQ(RemoveWorkFoldersAddedSince(before_), 1);
}

}  // namespace
