// The Windows entry point: the command line arrives as UTF-16 and is handed
// on as UTF-8, like every path inside the tool. Output is binary, so that it
// is byte for byte what the Linux tool prints.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_console.h"
#include "tools/varnok-pack/host/wide_text_win.h"

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i)
        texts.push_back(WideToUtf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    int exit = RunVarnokPack(argc, pointers.data());
    std::fflush(stdout);
    std::fflush(stderr);
    WaitIfConsoleClosesWithUs();
    return exit;
}
