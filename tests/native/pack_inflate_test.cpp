// The tool's parallel inflation, on both of its paths: libdeflate's whole
// buffer and the installer's streaming loop.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "archive/filetime.h"
#include "tests/native/archive_test_util.h"
#include "tools/varnok-pack/reader/archive_index.h"
#include "tools/varnok-pack/reader/native_extract.h"
#include "tools/varnok-pack/reader/parallel_inflate.h"

using namespace testutil;

namespace {

class InflateTest : public ::testing::TestWithParam<int32_t> {
protected:
    // Inflates every file of `archive` into dir/out; the error, empty on success.
    std::string InflateAll(const std::string& archive) {
        WriteFile(dir / "a.arc", archive);
        ArchiveIndex index;
        std::string error;
        if (!ReadArchiveIndex((dir / "a.arc").c_str(), index, error))
            return "index: " + error;
        std::filesystem::create_directories(dir / "out");
        std::string dest = (dir / "out").string();
        std::vector<InflateJob> jobs;
        for (const IndexedEntry& e : index.entries)
            jobs.push_back(InflateJob{&e, dest + "\\" + e.name});
        NativeExtractCallback output(dest);
        ProgressBar bar("test", 0, 0);
        return InflateEntries(index.path, jobs, 3, output, bar, error, GetParam()) ? "" : error;
    }
    static std::string WithSize(const std::string& name, uint32_t size, const std::string& content) {
        std::string stream = CompressZlib(content);
        return RawEntry(name + '\0', size, static_cast<uint32_t>(stream.size()), std::string(8, '\0') + stream);
    }
    TempDir dir;
};

TEST_P(InflateTest, WritesEveryFileWithItsTime) {
    std::string big = NoiseBytes(3 * ProgressUnit + 3);
    uint64_t time = UnixToFileTime(1600000000, 0);
    ArchiveBuilder b;
    b.File("a.txt", "alpha", time).File("empty", "", time).File("big.bin", big, time);
    ASSERT_EQ(InflateAll(b.Bytes()), "");
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(dir / "out/empty"), "");
    EXPECT_EQ(ReadFile(dir / "out/big.bin"), big);
    struct stat st;
    ASSERT_EQ(stat((dir / "out/big.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
}

TEST_P(InflateTest, RefusesAStoredSizeThatDoesNotMatch) {
    EXPECT_NE(InflateAll(WithSize("short", 4, "owned") + kEndMarker).find("stored 4"), std::string::npos);
    EXPECT_NE(InflateAll(WithSize("long", 6, "owned") + kEndMarker).find("inflates to 5 bytes, not its stored 6"),
              std::string::npos);
}

TEST_P(InflateTest, NamesTheEarliestBadEntry) {
    std::string damaged = WithSize("first", 5, "owned");
    damaged[damaged.size() - 2] ^= 1;  // Adler-32
    std::string archive = WithSize("ok", 2, "ok") + damaged + WithSize("second", 9, "owned") + kEndMarker;
    std::string error = InflateAll(archive);
    EXPECT_NE(error.find("entry 'first' at offset " + std::to_string(WithSize("ok", 2, "ok").size())),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

// Nothing past the stored size is written, nothing is written through a
// link planted in the destination, and a failed file does not stay.
TEST_P(InflateTest, StopsAtTheStoredSizeAndNeverFollowsALink) {
    std::filesystem::create_directories(dir / "elsewhere");
    std::filesystem::create_directories(dir / "out");
    std::filesystem::create_symlink(dir / "elsewhere", dir / "out/data");
    std::filesystem::create_symlink(dir / "elsewhere/target", dir / "out/file");
    const struct {
        std::string archive;
        const char* message;
    } cases[] = {
        {WithSize("big", ProgressUnit, std::string(8 * ProgressUnit, 'z')), "more than its stored 131072 bytes"},
        {WithSize("data\\x.txt", 5, "owned"), "is a link or no folder; links in the destination are not followed"},
        {WithSize("file", 5, "owned"), "file' is a link; links in the destination are not followed"},
    };
    for (const auto& c : cases) {
        std::string error = InflateAll(c.archive + kEndMarker);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out/big"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "elsewhere"));
}

INSTANTIATE_TEST_SUITE_P(WholeBufferAndStreaming, InflateTest, ::testing::Values(kWholeBufferLimit, 0));

}  // namespace
