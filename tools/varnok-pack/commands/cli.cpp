#include "tools/varnok-pack/commands/cli.h"

#include <getopt.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/varnok-pack/host/host_console.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

bool ParseIntOption(const char* text, int min, int max, int& value) {
    if (!text || *text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    value = static_cast<int>(v);
    return true;
}

int DefaultJobs() { return AvailableProcessors(); }

static std::string VFormat(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, again);
    va_end(again);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

void PrintText(FILE* out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteText(out, VFormat(format, args));
    va_end(args);
}

static void VPrintError(const char* command, const char* format, va_list args) {
    WriteText(stderr, "varnok-pack " + std::string(command) + ": " + VFormat(format, args) + "\n");
}

void PrintError(const char* command, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VPrintError(command, format, args);
    va_end(args);
}

int UsageError(const char* command, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VPrintError(command, format, args);
    va_end(args);
    std::fprintf(stderr, "Try 'varnok-pack %s --help'.\n", command);
    return kExitUsage;
}

int BadOption(const char* command, char** argv) {
    if (optopt != 0)
        return UsageError(command, "option -%c is unknown or needs a value", optopt);
    return UsageError(command, "option '%s' is unknown or needs a value", argv[optind - 1]);
}

int ParseArchiveCommand(const char* command, const char* help, int argc, char** argv, int operandCount,
                        const char** operands, int* jobs) {
    static const option kLong[] = {{"jobs", required_argument, nullptr, 'j'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    if (jobs)
        *jobs = DefaultJobs();
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, jobs ? "j:h" : "h", jobs ? kLong : kLong + 1, nullptr)) != -1;) {
        if (c == 'h') {
            std::fputs(help, stdout);
            return kExitOk;
        }
        if (c != 'j')
            return BadOption(command, argv);
        if (!ParseIntOption(optarg, 1, 256, *jobs))
            return UsageError(command, "--jobs wants a number from 1 to 256, not '%s'", optarg);
    }
    if (argc - optind != operandCount)
        return UsageError(command, "expects %d operand%s", operandCount, operandCount == 1 ? "" : "s");
    for (int i = 0; i < operandCount; ++i)
        operands[i] = argv[optind + i];
    return -1;
}

std::string ShowName(std::string_view sjis) {
    if (auto utf8 = SjisToUtf8(sjis))
        return *utf8;
    std::string shown;
    for (unsigned char c : sjis) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}
