#include "tools/varnok-pack/env_parse.h"

#include <cstdio>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/sjis.h"

namespace {

void RecordKind(void* context, int line, SectionLineKind kind, int) {
    auto& kinds = *static_cast<std::vector<SectionLineKind>*>(context);
    kinds.resize(static_cast<size_t>(line) + 1, SectionLineKind::Skipped);
    kinds[static_cast<size_t>(line)] = kind;
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

// The installer's message; a file name goes in as Shift-JIS, like every text.
std::string Format(const char* format, const std::string& argument) {
    char text[1024];
    std::snprintf(text, sizeof text, format, Utf8ToSjis(argument).value_or(argument).c_str());
    return text;
}

}  // namespace

EnvParse ParseEnvFile(const std::string& path) {
    FreeSettingTable();
    for (int state = 1; state <= kSectionCount; ++state)
        ClearSectionList(SectionListOf(state));

    EnvParse env;
    UniqueFile file(std::fopen(path.c_str(), "rt"));
    env.readable = file && ReadAll(file.get(), env.bytes);
    if (!env.readable) {
        env.error = Format(kSectionOpenFailedFormat, path);
        return env;
    }
    env.physicalLines = PiecesToLines(env.bytes);
    std::rewind(file.get());
    env.keyPass = LoadSettingTableFrom(file.get());
    std::rewind(file.get());
    env.sectionPass = ReadSectionLists(file.get(), RecordKind, &env.sectionKinds);
    if (env.sectionPass.openSection != kNoSection)
        env.error = Format(kSectionUnclosedFormat, SectionName(env.sectionPass.openSection));
    return env;
}

int PhysicalLine(const EnvParse& env, int piece) {
    return piece > 0 && static_cast<size_t>(piece) < env.physicalLines.size() ? env.physicalLines[piece] : 0;
}
