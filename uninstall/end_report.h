// The texts the uninstaller shows: the end box and the question about a
// file that will not go.
#pragma once

#include <string>
#include <vector>

// Names listed in each part of the end box; the rest are counted.
constexpr size_t kReportedNames = 10;

// "アンインストールが完了しました。", then the files kept (below the folder,
// shown once) and the files that could not be removed, each part only when
// it has names.
std::string FormatEndReport(const std::string& folder, const std::vector<std::string>& kept,
                            const std::vector<std::string>& failed);

// "<path>\nを削除できません。…再試行を押してください。"
std::string FormatFileInUse(const std::string& path);
