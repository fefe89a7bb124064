#include "tools/varnok-pack/game_tree.h"

#include <algorithm>
#include <filesystem>

#include "tools/varnok-pack/sjis.h"

namespace fs = std::filesystem;

FolderLister GameFolderLister(const std::string& gameDir) {
    return [gameDir](const std::string& folder, std::vector<FolderItem>& items) {
        std::string relative = SjisToUtf8(folder).value_or("");
        if (relative.empty() != folder.empty())
            return false;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::error_code ec;
        items.clear();
        for (const fs::directory_entry& d : fs::directory_iterator(fs::path(gameDir) / relative, ec)) {
            std::optional<std::string> name = Utf8ToSjis(d.path().filename().string());
            std::error_code kind;
            if (name)
                items.push_back({*name, d.is_directory(kind)});
        }
        std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
        return !ec;
    };
}
