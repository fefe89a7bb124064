#include "uninstall/end_report.h"

#include <cstdio>

namespace {

// アンインストールが完了しました。
constexpr char kDoneText[] =
    "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5"
    "\x82\xbd\x81\x42";
// 次のファイルは削除されずに残っています。
constexpr char kKeptHead[] =
    "\x8e\x9f\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcd\x8d\xed\x8f\x9c\x82\xb3\x82\xea\x82\xb8\x82\xc9\x8e\x63"
    "\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42";
// 次のファイルは削除できませんでした。
constexpr char kFailedHead[] =
    "\x8e\x9f\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcd\x8d\xed\x8f\x9c\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1"
    "\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// ほか %zu 個のファイル
constexpr char kMoreFormat[] = "\x82\xd9\x82\xa9 %zu \x8c\xc2\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b";
// を削除できません。使用中でないか確かめてから、再試行を押してください。
constexpr char kInUseText[] =
    "\x82\xf0\x8d\xed\x8f\x9c\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\x8e\x67\x97\x70\x92\x86\x82\xc5\x82\xc8"
    "\x82\xa2\x82\xa9\x8a\x6d\x82\xa9\x82\xdf\x82\xc4\x82\xa9\x82\xe7\x81\x41\x8d\xc4\x8e\x8e\x8d\x73\x82\xf0\x89\x9f"
    "\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";

void AppendNames(std::string& text, const char* head, const std::string& folder, const std::vector<std::string>& names) {
    if (names.empty())
        return;
    text += std::string("\n\n") + head + "\n" + folder;
    for (size_t i = 0; i < names.size() && i < kReportedNames; ++i)
        text += "\n    " + names[i];
    if (names.size() > kReportedNames) {
        char more[64];
        std::snprintf(more, sizeof more, kMoreFormat, names.size() - kReportedNames);
        text += std::string("\n    ") + more;
    }
}

}  // namespace

std::string FormatEndReport(const std::string& folder, const std::vector<std::string>& kept,
                            const std::vector<std::string>& failed) {
    std::string text = kDoneText;
    AppendNames(text, kKeptHead, folder, kept);
    AppendNames(text, kFailedHead, folder, failed);
    return text;
}

std::string FormatFileInUse(const std::string& path) { return path + "\n" + kInUseText; }
