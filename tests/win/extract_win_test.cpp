// Both passes with the Win32 side of the walk: files, folders and stored
// times on disk, and the copy window's label and bars read back from its
// controls while the walk runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "archive/copy_progress.h"
#include "archive/extract_payload.h"
#include "archive/payload_writer.h"
#include "resources/resource.h"
#include "tests/e2e/driver/system_checks.h"
#include "tests/win/temp_folder.h"

namespace {

constexpr uint64_t kBaseTime = 0x01C9698D12345670ULL;  // December 2008

std::string Incompressible(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    return bytes;
}

struct Entry {
    std::string name;  // ends in '\\' for a folder
    std::string content;
    uint64_t time = 0;
    bool IsFolder() const { return name.back() == '\\'; }
};

bool WriteArchive(const std::string& path, const std::vector<Entry>& entries) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    PayloadWriter writer(out);
    bool ok = true;
    for (const Entry& e : entries) {
        ok = ok && (e.IsFolder() ? writer.AddFolder(e.name)
                                 : writer.AddFile(e.name, static_cast<int32_t>(e.content.size()), e.time,
                                                  CompressZlib(e.content)));
    }
    ok = ok && writer.Finish();
    return std::fclose(out) == 0 && ok;
}

uint64_t LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

int BarHigh(HWND window, int id) { return static_cast<int>(SendDlgItemMessageA(window, id, PBM_GETRANGE, FALSE, 0)); }
int BarPosition(HWND window, int id) { return static_cast<int>(SendDlgItemMessageA(window, id, PBM_GETPOS, 0, 0)); }

// What the window showed at one progress call.
struct Step {
    int64_t written;
    int32_t count;
    std::string label;
    int fileBarHigh;
    int fileBar;
    int totalBar;
};

struct FileSeen {
    std::string path;
    std::vector<Step> steps;
};

// The real callback, with what the window shows recorded after each
// progress call. The controls take new values when they are next let
// paint, so each call waits until a repaint is due, with room for a tick
// count that moves in steps of 16 ms.
class RecordingCallback : public WindowExtractCallback {
public:
    using WindowExtractCallback::WindowExtractCallback;
    void BeginFile(const char* path, int32_t size) override {
        WindowExtractCallback::BeginFile(path, size);
        files.push_back(FileSeen{path, {}});
    }
    void Progress(int64_t written, int32_t count) override {
        if (GetCopyProgressWindow())
            Sleep(2 * kCopyRepaintMs);
        WindowExtractCallback::Progress(written, count);
        Step step = {written, count, "", -1, -1, -1};
        if (HWND window = GetCopyProgressWindow()) {
            char label[MAX_PATH] = {};
            GetDlgItemTextA(window, IDT_COPY_FILE_NAME, label, sizeof label);
            step.label = label;
            step.fileBarHigh = BarHigh(window, IDP_COPY_FILE);
            step.fileBar = BarPosition(window, IDP_COPY_FILE);
            step.totalBar = BarPosition(window, IDP_COPY_TOTAL);
        }
        files.back().steps.push_back(step);
    }
    std::vector<FileSeen> files;
};

class ExtractTest : public ::testing::Test {
protected:
    ArchiveStatus Run(const std::vector<Entry>& entries, ExtractMode mode, ExtractCallback& callback,
                      const std::string& destination = "") {
        std::string archivePath = work_ / "instdat.arc";
        EXPECT_TRUE(WriteArchive(archivePath, entries));
        OpenedArchive archive = OpenPlainArchive(archivePath.c_str());
        EXPECT_EQ(archive.status, ArchiveStatus::Ok);
        payloadLength_ = archive.payloadLength;
        const std::string& into = destination.empty() ? destination_.path() : destination;
        ArchiveStatus status = RunExtractionPass(archive, into.c_str(), mode, callback);
        std::fclose(archive.file);
        return status;
    }
    std::string Out(const std::string& name) const { return destination_ / name; }
    // A file that cannot be replaced fails the pass at that file: earlier
    // files stay, later ones are never written, and the copy window is gone.
    void ExpectPassFailsAtLockedFile() {
        const std::vector<Entry> entries = {{"first.txt", "first", kBaseTime},
                                            {"locked.txt", "replacement", kBaseTime},
                                            {"after.txt", "after", kBaseTime}};
        WindowExtractCallback callback(destination_.path().c_str());
        EXPECT_EQ(Run(entries, ExtractModeFull, callback), ArchiveStatus::CannotCreate);
        EXPECT_EQ(GetCopyProgressWindow(), nullptr);
        EXPECT_EQ(ReadFileBytes(Out("first.txt")), "first");
        EXPECT_FALSE(PathExists(Out("after.txt")));
    }

    TempFolder work_;
    TempFolder destination_;
    int32_t payloadLength_ = 0;
};

TEST_F(ExtractTest, FullPassWritesEveryEntryWithItsTimeAndMovesTheBars) {
    const std::vector<Entry> entries = {
        {"install.env", "TITLEBAR=test\r\n", kBaseTime},
        {"empty.dat", "", kBaseTime + 1},
        {"data\\", ""},
        {"data\\deep\\", ""},
        {"data\\deep\\crosses.bin", Incompressible(3 * ProgressUnit + ProgressUnit / 2, 1), kBaseTime + 2},
        {"data\\exact.bin", Incompressible(2 * ProgressUnit, 2), kBaseTime + 30000000},
    };
    RecordingCallback callback(destination_.path().c_str());
    ASSERT_EQ(Run(entries, ExtractModeFull, callback), ArchiveStatus::Ok);
    EXPECT_EQ(GetCopyProgressWindow(), nullptr);

    EXPECT_TRUE(IsDirectory(Out("data\\deep")));
    std::vector<const Entry*> files;
    for (const Entry& e : entries) {
        if (e.IsFolder())
            continue;
        files.push_back(&e);
        EXPECT_EQ(ReadFileBytes(Out(e.name)), e.content) << e.name;
        EXPECT_EQ(LastWriteTime(Out(e.name)), e.time) << e.name;
    }

    ASSERT_EQ(callback.files.size(), files.size());
    const std::vector<std::vector<int64_t>> expectedWrites = {
        {15}, {}, {ProgressUnit, 2 * ProgressUnit, 3 * ProgressUnit, 3 * ProgressUnit + ProgressUnit / 2},
        {ProgressUnit, 2 * ProgressUnit}};
    for (size_t i = 0; i < files.size(); ++i) {
        const FileSeen& seen = callback.files[i];
        SCOPED_TRACE(files[i]->name);
        EXPECT_EQ(seen.path, Out(files[i]->name));
        std::vector<int64_t> writes;
        for (const Step& step : seen.steps) {
            writes.push_back(step.written);
            EXPECT_EQ(step.label, Out(files[i]->name));
            EXPECT_EQ(step.fileBarHigh, static_cast<int>(files[i]->content.size() / ProgressUnit));
            EXPECT_EQ(step.fileBar, static_cast<int>(step.written / ProgressUnit));
            EXPECT_EQ(step.totalBar, step.count / ProgressUnit);
        }
        EXPECT_EQ(writes, expectedWrites[i]);
    }
    EXPECT_EQ(callback.files.back().steps.back().totalBar, payloadLength_ / ProgressUnit);
}

TEST_F(ExtractTest, SetupPassWritesOnlyTopLevelSetupFilesWithoutAWindow) {
    const std::vector<Entry> entries = {
        {"install.env", "TITLEBAR=test\r\n", kBaseTime},
        {"insttscr.rct", "picture", kBaseTime + 1},
        {"ReadMe.TXT", "read me", kBaseTime + 2},
        {"game.exe", Incompressible(ProgressUnit + 5, 3), kBaseTime},
        {"data\\", ""},
        {"data\\notes.txt", "notes", kBaseTime},  // a folder part: passed over, not a failure
        {"data\\bgm\\", ""},                      // the first deeper folder ends the pass
        {"late.txt", "never", kBaseTime},
    };
    RecordingCallback callback(destination_.path().c_str());
    ASSERT_EQ(Run(entries, ExtractModeSetup, callback), ArchiveStatus::Ok);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadFileBytes(Out(entries[i].name)), entries[i].content);
        EXPECT_EQ(LastWriteTime(Out(entries[i].name)), entries[i].time);
    }
    for (const char* absent : {"game.exe", "data", "late.txt"})
        EXPECT_FALSE(PathExists(Out(absent))) << absent;
    ASSERT_EQ(callback.files.size(), 3u);
    EXPECT_EQ(callback.files[0].steps.at(0).fileBar, -1);  // no window in the setup pass
}

// Holds a file open without sharing, as another program would.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

bool WritableDespiteReadOnly(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "ab");
    if (file)
        std::fclose(file);
    return file != nullptr;
}

TEST_F(ExtractTest, ExistingFileIsReplaced) {
    ASSERT_TRUE(WriteFileBytes(Out("first.txt"), "old and longer content"));
    RecordingCallback callback(destination_.path().c_str());
    ASSERT_EQ(Run({{"first.txt", "new", kBaseTime}}, ExtractModeFull, callback), ArchiveStatus::Ok);
    EXPECT_EQ(ReadFileBytes(Out("first.txt")), "new");
    EXPECT_EQ(LastWriteTime(Out("first.txt")), kBaseTime);
}

// A file that cannot be opened for writing fails the pass; what came before stays.
TEST_F(ExtractTest, FileHeldOpenFailsThePass) {
    ASSERT_TRUE(WriteFileBytes(Out("locked.txt"), "locked"));
    HeldOpen holder(Out("locked.txt"));
    ASSERT_TRUE(holder.ok());
    ExpectPassFailsAtLockedFile();
}

TEST_F(ExtractTest, ReadOnlyFileFailsThePass) {
    ASSERT_TRUE(WriteFileBytes(Out("locked.txt"), "locked"));
    SetFileAttributesA(Out("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    if (WritableDespiteReadOnly(Out("locked.txt")))
        GTEST_SKIP() << "read-only is not enforced here (Wine running as root)";
    ExpectPassFailsAtLockedFile();
}

TEST_F(ExtractTest, DamagedStreamFailsAndLeavesThePartlyWrittenFile) {
    std::string archivePath = work_ / "instdat.arc";
    ASSERT_TRUE(WriteArchive(archivePath, {{"big.bin", Incompressible(2 * ProgressUnit + 7, 4), kBaseTime}}));
    std::string bytes = ReadFileBytes(archivePath);
    bytes[bytes.size() - 5] ^= 0x55;  // the stream's Adler-32, just before the end marker's four zeros
    ASSERT_TRUE(WriteFileBytes(archivePath, bytes));
    OpenedArchive archive = OpenPlainArchive(archivePath.c_str());
    WindowExtractCallback callback(destination_.path().c_str());
    EXPECT_EQ(RunExtractionPass(archive, destination_.path().c_str(), ExtractModeFull, callback),
              ArchiveStatus::BadStream);
    std::fclose(archive.file);
    // The full units came out before zlib checked the sum; the last piece never did.
    EXPECT_EQ(ReadFileBytes(Out("big.bin")).size(), 2u * ProgressUnit);
    EXPECT_NE(LastWriteTime(Out("big.bin")), kBaseTime);
}

// Nothing is made or written through a link, at the destination or below it.
TEST_F(ExtractTest, LinkMetFailsThePassAndNothingGoesThroughIt) {
    const std::string links = PlantedLinks("varnok-win-links");
    if (links.empty())
        GTEST_SKIP() << "no links planted (tests/win/plant-links.sh)";
    for (auto [into, name] : {std::pair{"install", "data\\"}, std::pair{"install", "data\\level.bin"},
                              std::pair{"install", "data\\save\\"}, std::pair{"to-outside", "game.exe"}}) {
        const std::string destination = links + "\\" + into;
        WindowExtractCallback callback(destination.c_str());
        EXPECT_EQ(Run({{name, "x", kBaseTime}}, ExtractModeFull, callback, destination), ArchiveStatus::CannotCreate)
            << name;
    }
    EXPECT_TRUE(Names(links + "\\outside").empty());
}

// Cancel only stops the animation: the control tells its owner, and the copy runs on.
class CancellingCallback : public WindowExtractCallback {
public:
    using WindowExtractCallback::WindowExtractCallback;
    void Progress(int64_t written, int32_t count) override {
        WindowExtractCallback::Progress(written, count);
        HWND window = GetCopyProgressWindow();
        if (clicked_ || !window)
            return;
        clicked_ = true;
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CancellingCallback::Watch)));
        SendDlgItemMessageA(window, IDCANCEL, BM_CLICK, 0, 0);
        WindowExtractCallback::Progress(written, count);  // delivers what the click posted
        stoppedAfterClick = animationStopped;
    }
    static LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && wParam == MAKEWPARAM(IDA_COPY_ANIMATION, ACN_STOP))
            animationStopped = true;
        return CallWindowProcA(original_, window, message, wParam, lParam);
    }
    static inline bool animationStopped = false;
    static inline WNDPROC original_ = nullptr;
    bool stoppedAfterClick = false;

private:
    bool clicked_ = false;
};

TEST_F(ExtractTest, CancelStopsTheAnimationAndTheCopyRunsOn) {
    const std::vector<Entry> entries = {{"one.bin", Incompressible(3 * ProgressUnit, 5), kBaseTime},
                                        {"two.bin", Incompressible(ProgressUnit, 6), kBaseTime}};
    CancellingCallback callback(destination_.path().c_str());
    ASSERT_EQ(Run(entries, ExtractModeFull, callback), ArchiveStatus::Ok);
    EXPECT_TRUE(callback.stoppedAfterClick);
    for (const Entry& e : entries)
        EXPECT_EQ(ReadFileBytes(Out(e.name)), e.content) << e.name;
}

}  // namespace
