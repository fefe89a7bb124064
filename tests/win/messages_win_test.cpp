// The message boxes, answered from a helper thread while the test's thread
// sits inside them: texts, owner, caption and the clipboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/messages.h"
#include "shell/owner_window.h"
#include "tests/e2e/driver/win_driver.h"

namespace {

// [%s]にインストールします
constexpr char kInstallFormat[] = "[%s]\x82\xc9\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
constexpr char kInstallSuffix[] = "]\x82\xc9\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
// C:\ゲーム\表示 (表 ends in 0x5C)
constexpr char kJapanesePath[] = "C:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\x8e\xa6";
// テスト スタートアップ
constexpr char kMenuTitle[] = "\x83\x65\x83\x58\x83\x67\x20\x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76";
constexpr char kUntouched[] = "clipboard before the box";

// A visible top-level window standing in for the main menu.
class OwnerStandIn {
public:
    OwnerStandIn()
        : window_(CreateWindowExA(0, "STATIC", kMenuTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {
        SetOwnerWindow(window_);
    }
    ~OwnerStandIn() {
        SetOwnerWindow(nullptr);
        DestroyWindow(window_);
    }
    HWND get() const { return window_; }

private:
    HWND window_;
};

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetOwnerWindow(nullptr);
        SetClipboardText(kUntouched);
    }
};

// With no window of the program's active, the clipboard still gets an owner
// of this process: Windows refuses SetClipboardData on an ownerless one.
TEST_F(MessagesTest, ErrorBoxShowsFormattedTextWithoutOwnerAndCopiesIt) {
    ASSERT_EQ(GetActiveWindow(), nullptr);
    BoxAnswerer answer(IDOK);
    ShowError(kInstallFormat, kJapanesePath);
    const SeenBox& box = answer.Seen();
    std::string expected = std::string("[") + kJapanesePath + kInstallSuffix;
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, expected);
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(ClipboardText(), expected);
    DWORD clipboardProcess = 0;
    GetWindowThreadProcessId(GetClipboardOwner(), &clipboardProcess);
    EXPECT_EQ(clipboardProcess, GetCurrentProcessId());
}

TEST_F(MessagesTest, FourArgumentsOfMixedKindsAreTakenInOrder) {
    BoxAnswerer answer(IDOK);
    ShowError("%s|%d|%s|%d", "one", 2, "three", -4);
    EXPECT_EQ(answer.Seen().text, "one|2|three|-4");
}

TEST_F(MessagesTest, BoxesAreOwnedByTheOwnerWindowAndCarryItsTitle) {
    OwnerStandIn owner;
    EXPECT_STREQ(GetOwnerWindowText(), kMenuTitle);
    BoxAnswerer answer(IDOK);
    ShowError("%s", "owned");
    const SeenBox& box = answer.Seen();
    EXPECT_EQ(box.owner, owner.get());
    EXPECT_EQ(box.caption, kMenuTitle);
}

// The button handed back is answered, so each box must offer exactly its own
// buttons; the icon is compared with the shared system icon it should show.
TEST_F(MessagesTest, EachKindOfBoxShowsItsButtonsAndIcon) {
    struct Case {
        const char* kind;
        void (*show)();
        int answer;
        std::vector<int> buttons;
        const char* icon;
    };
    const Case cases[] = {
        {"retry/cancel", [] { ShowRetryCancelError("%s", "retry"); }, IDRETRY, {IDCANCEL, IDRETRY}, IDI_ERROR},
        {"error", [] { ShowError("%s", "error"); }, IDOK, {IDOK}, IDI_ERROR},
        {"question", [] { AskYesNo("%s", "question"); }, IDNO, {IDYES, IDNO}, IDI_QUESTION},
    };
    for (const Case& c : cases) {
        BoxAnswerer answer(c.answer);
        c.show();
        const SeenBox& box = answer.Seen();
        ASSERT_TRUE(box.found) << c.kind;
        EXPECT_EQ(box.buttons, c.buttons) << c.kind;
        EXPECT_EQ(box.icon, LoadIconA(nullptr, c.icon)) << c.kind;
    }
}

TEST_F(MessagesTest, OwnerTextIsEmptyWithoutOwner) { EXPECT_STREQ(GetOwnerWindowText(), ""); }

TEST_F(MessagesTest, RetryReturnsToTheCallerWithTheTextOnTheClipboard) {
    BoxAnswerer answer(IDRETRY);
    ShowRetryCancelError("Ffopen : [%s]", "install.env");
    EXPECT_EQ(answer.Seen().text, "Ffopen : [install.env]");
    EXPECT_EQ(ClipboardText(), "Ffopen : [install.env]");
}

TEST_F(MessagesTest, QuestionAnswersOneOnlyForYesAndLeavesClipboardAlone) {
    struct Case {
        int button;
        int expected;
    };
    for (Case c : {Case{IDYES, 1}, Case{IDNO, 0}}) {
        BoxAnswerer answer(c.button);
        EXPECT_EQ(AskYesNo(kInstallFormat, kJapanesePath), c.expected) << "button " << c.button;
        EXPECT_TRUE(answer.Seen().found);
        EXPECT_EQ(ClipboardText(), kUntouched);
    }
}

TEST_F(MessagesTest, QuestionThatCannotBeShownCountsAsNo) {
    // A window handle that names no window: MessageBoxA refuses the owner.
    SetOwnerWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7ffe1230)));
    EXPECT_EQ(AskYesNo("%s", "unseen"), 0);
    SetOwnerWindow(nullptr);
}

// The 1024-byte buffer holds 1023 bytes of text; a double-byte character
// that would straddle the end is dropped whole.
TEST_F(MessagesTest, OverlongTextIsCutAtACharacterBoundary) {
    std::string katakana;
    for (int i = 0; i < 700; ++i)
        katakana += "\x83\x65";  // テ
    struct Case {
        std::string prefix;
        size_t keptBytes;
    };
    for (const Case& c : {Case{"a", 1023}, Case{"ab", 1022}}) {
        std::string text = c.prefix + katakana;
        BoxAnswerer answer(IDOK);
        ShowError("%s", text.c_str());
        EXPECT_EQ(answer.Seen().text, text.substr(0, c.keptBytes)) << "prefix " << c.prefix;
        EXPECT_EQ(ClipboardText(), text.substr(0, c.keptBytes)) << "prefix " << c.prefix;
    }
}

TEST_F(MessagesTest, ClipboardCopyReplacesTheText) {
    EXPECT_EQ(CopyTextToClipboard(kJapanesePath), 0);
    EXPECT_EQ(ClipboardText(), kJapanesePath);
}

void SayExitHandlersRan() { std::fputs("exit handlers ran\n", stderr); }

TEST(MessagesDeathTest, CancelEndsTheProcessWithMinusOneThroughExit) {
    EXPECT_EXIT(
        {
            std::atexit(SayExitHandlersRan);
            BoxAnswerer answer(IDCANCEL);
            ShowRetryCancelError("%s", "cancel me");
            std::fputs("returned to the caller\n", stderr);
        },
        ::testing::ExitedWithCode(-1), "exit handlers ran");
}

}  // namespace
