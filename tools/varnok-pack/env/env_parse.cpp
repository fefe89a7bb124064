#include "tools/varnok-pack/env/env_parse.h"

#include <cstdio>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

void RecordKind(void* context, int line, SectionLineKind kind, int state) {
    auto& env = *static_cast<EnvParse*>(context);
    env.sectionKinds.resize(static_cast<size_t>(line) + 1, SectionLineKind::Skipped);
    env.sectionStates.resize(static_cast<size_t>(line) + 1, kNoSection);
    env.sectionKinds[static_cast<size_t>(line)] = kind;
    env.sectionStates[static_cast<size_t>(line)] = state;
}

// Both passes read with fgets into 512-byte buffers: a line of more than
// 511 bytes arrives as several pieces.
std::vector<int> PiecesToLines(const std::string& bytes) {
    std::vector<int> lines = {0};
    int line = 1;
    size_t pieceLength = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (pieceLength == 0)
            lines.push_back(line);
        ++pieceLength;
        if (bytes[i] == '\n') {
            ++line;
            pieceLength = 0;
        } else if (pieceLength == kSettingLineSize - 1) {
            pieceLength = 0;
        }
    }
    return lines;
}

// The file's bytes, or false when it cannot be read.
bool ReadAll(FILE* file, std::string& bytes) {
    char buffer[65536];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, n);
    return !std::ferror(file);
}

// The installer reads install.env in text mode: CR LF arrives as LF and a
// Ctrl-Z ends the file. Both passes read these bytes, so a long CR LF line
// splits into the same pieces, and the 400-line count, as on Windows.
std::string AsTextMode(const std::string& raw) {
    std::string text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size() && raw[i] != '\x1A'; ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        text += raw[i];
    }
    return text;
}


}  // namespace

EnvParse ParseEnvFile(const std::string& path) {
    FreeSettingTable();
    for (int state = 1; state <= kSectionCount; ++state)
        ClearSectionList(SectionListOf(state));

    EnvParse env;
    UniqueFile raw(OpenPath(path, "rb"));
    env.readable = raw && ReadAll(raw.get(), env.bytes);
    env.bytes = AsTextMode(env.bytes);
    // An empty buffer still opens: the passes then read nothing.
    UniqueFile file(env.readable ? OpenMemoryFile(env.bytes) : nullptr);
    if (!file) {
        // The installer's existence test comes first and stops start-up.
        env.readable = false;
        env.error = kSettingsFileMissingText;
        return env;
    }
    env.physicalLines = PiecesToLines(env.bytes);
    env.keyPass = LoadSettingTableFrom(file.get());
    std::rewind(file.get());
    env.sectionPass = ReadSectionLists(file.get(), RecordKind, &env);
    if (env.sectionPass.openSection != kNoSection) {
        char text[128];
        std::snprintf(text, sizeof text, kSectionUnclosedFormat, SectionName(env.sectionPass.openSection));
        env.error = text;
    }
    return env;
}

int PhysicalLine(const EnvParse& env, int piece) {
    return piece > 0 && static_cast<size_t>(piece) < env.physicalLines.size() ? env.physicalLines[piece] : 0;
}

std::vector<int> SectionEntryLines(const EnvParse& env, int state) {
    std::vector<int> lines;
    for (size_t piece = 1; piece < env.sectionKinds.size(); ++piece) {
        if (env.sectionStates[piece] != state)
            continue;
        if (env.sectionKinds[piece] == SectionLineKind::Head)
            lines.clear();
        else if (env.sectionKinds[piece] == SectionLineKind::Entry)
            lines.push_back(PhysicalLine(env, static_cast<int>(piece)));
    }
    return lines;
}
