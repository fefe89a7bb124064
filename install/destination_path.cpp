#include "install/destination_path.h"

#include <cstring>
#include <initializer_list>

#include "shell/mbtext.h"

namespace {

// ネットワークドライブには対応していません。\nローカルドライブを選択して下さい。
constexpr char kNetworkText[] =
    "\x83\x6c\x83\x62\x83\x67\x83\x8f\x81\x5b\x83\x4e\x83\x68\x83\x89\x83\x43\x83\x75\x82\xc9\x82\xcd\x91\xce\x89"
    "\x9e\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42\n\x83\x8d\x81\x5b\x83\x4a\x83\x8b\x83\x68\x83\x89"
    "\x83\x43\x83\x75\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42";
// ルートにはインストールできません
constexpr char kRootText[] =
    "\x83\x8b\x81\x5b\x83\x67\x82\xc9\x82\xcd\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xc5\x82\xab\x82"
    "\xdc\x82\xb9\x82\xf1";
// インストール先フォルダのパスが長すぎます。\n短いフォルダを指定して下さい。
constexpr char kTooLongText[] =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x90\xe6\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcc\x83\x70\x83"
    "\x58\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xdc\x82\xb7\x81\x42\n\x92\x5a\x82\xa2\x83\x74\x83\x48\x83\x8b\x83\x5f"
    "\x82\xf0\x8e\x77\x92\xe8\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42";

bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// Appends the parts to text[kPathSize]; false (text unchanged) when they do not fit.
bool Append(char* text, std::initializer_list<const char*> parts) {
    size_t length = std::strlen(text), total = length;
    for (const char* part : parts)
        total += std::strlen(part);
    if (total >= kPathSize)
        return false;
    for (const char* part : parts) {
        size_t n = std::strlen(part);
        std::memcpy(text + length, part, n);
        length += n;
    }
    text[length] = '\0';
    return true;
}

// Inserts `count` bytes of `head` at `at` in text[kPathSize]; false (text
// unchanged) when they do not fit.
bool Insert(char* text, char* at, const char* head, size_t count) {
    if (std::strlen(text) + count >= kPathSize)
        return false;
    std::memmove(at + count, at, std::strlen(at) + 1);
    std::memcpy(at, head, count);
    return true;
}

// "\\<INSTFOL>\\<INSTTO>", or "\\<INSTTO>" without INSTFOL.
bool AppendGameFolders(const DestinationSettings& s, char* text) {
    return s.instFol ? Append(text, {"\\", s.instFol, "\\", s.instTo}) : Append(text, {"\\", s.instTo});
}

// Appends a backslash unless there is one, then the name.
bool AppendFolderName(char* text, const char* name) {
    size_t separator = EndsInPlainBackslash(text) ? 0 : 1;
    if (std::strlen(text) + separator + std::strlen(name) >= kPathSize)
        return false;
    AppendTrailingBackslash(text);
    std::strcat(text, name);
    return true;
}

}  // namespace

const char* RefusalText(FolderVerdict verdict) {
    switch (verdict) {
    case FolderVerdict::Network:
        return kNetworkText;
    case FolderVerdict::Root:
        return kRootText;
    case FolderVerdict::TooLong:
        return kTooLongText;
    case FolderVerdict::Accepted:
        break;
    }
    return nullptr;
}

FolderVerdict ComposeDefaultFolder(const DestinationSettings& s, char* out) {
    const char* backslash = std::strchr(s.windowsDir, '\\');
    size_t root = backslash ? static_cast<size_t>(backslash - s.windowsDir) + 1 : 0;
    out[0] = '\0';
    bool fits = Insert(out, out, s.windowsDir, root) &&
                (s.instFol ? Append(out, {"Program Files\\", s.instFol, "\\", s.instTo})
                           : Append(out, {"Program Files\\", s.instTo}));
    return fits ? FolderVerdict::Accepted : FolderVerdict::TooLong;
}

FolderVerdict ComposeBrowsedFolder(const DestinationSettings& s, const char* picked, char* out) {
    if (!CopyText(out, kPathSize, picked))
        return FolderVerdict::TooLong;
    bool fits = (!s.instFol || MbsStr(out, s.instFol) || AppendFolderName(out, s.instFol)) &&
                AppendFolderName(out, s.instTo);
    return fits ? FolderVerdict::Accepted : FolderVerdict::TooLong;
}

FolderVerdict NormaliseDestination(const DestinationSettings& s, char* text) {
    for (char* p = text; *p; ++p) {
        if (*p == '/')
            *p = '\\';
    }
    // Byte by byte, as a pair after a lead byte is a character and a separator.
    if (const char* pair = std::strstr(text, "\\\\"); pair && (pair == text || !IsLead(pair[-1])))
        return FolderVerdict::Network;
    TrimTrailingBackslash(text);
    if (s.makeFol != 0 && !std::strstr(text, s.instTo) && !AppendGameFolders(s, text))
        return FolderVerdict::TooLong;
    if (!std::strchr(text, ':')) {
        const char* colon = std::strchr(s.windowsDir, ':');
        size_t drive = colon ? static_cast<size_t>(colon - s.windowsDir) + 1 : 0;
        if (!Insert(text, text, s.windowsDir, drive))
            return FolderVerdict::TooLong;
    }
    if (char* colon = std::strchr(text, ':'); colon && colon[1] != '\\' && !Insert(text, colon + 1, "\\", 1))
        return FolderVerdict::TooLong;
    return EndsInPlainBackslash(text) ? FolderVerdict::Root : FolderVerdict::Accepted;
}

void PathPrefix(const char* path, char* out, int n) {
    CopyText(out, kPathSize, path);
    char* at = out;
    for (int level = 0; level < n; ++level) {
        const char* next = MbsChr(MbsInc(at), '\\');
        if (!next)
            return;
        at = out + (next - out);
    }
    *at = '\0';
}
