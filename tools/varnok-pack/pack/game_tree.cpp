#include "tools/varnok-pack/pack/game_tree.h"

#include <algorithm>

#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

FolderLister GameFolderLister(const std::string& gameDir, std::vector<std::string>* unlisted) {
    return [gameDir, unlisted](const std::string& folder, std::vector<FolderItem>& items) {
        std::string relative = SjisToUtf8(folder).value_or("");
        if (relative.empty() != folder.empty())
            return false;
        // The levels are '\\'-joined, which Linux does not take as a separator.
        std::string path = gameDir;
        for (size_t start = 0; start < relative.size();) {
            size_t end = std::min(relative.find('\\', start), relative.size());
            path = JoinPath(path, relative.substr(start, end - start));
            start = end + 1;
        }
        std::vector<DiskItem> found;
        std::string error;
        items.clear();
        if (!ListFolder(path, found, error))
            return false;
        for (const DiskItem& item : found) {
            if (std::optional<std::string> name = Utf8ToSjis(item.name))
                items.push_back({*name, item.kind == ItemKind::Folder});
            else if (unlisted)
                unlisted->push_back(JoinPath(path, item.name));
        }
        std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
        return true;
    };
}
