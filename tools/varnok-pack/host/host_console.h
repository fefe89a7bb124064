// The terminal as the tool sees it on Linux and on Windows. Texts are UTF-8;
// a Windows console is written through its wide API, anything else (a pipe,
// a file) gets the UTF-8 bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// True when the stream is shown on a terminal or console (not a pipe, a file
// or the null device).
bool IsTerminal(FILE* stream);

void WriteText(FILE* stream, std::string_view utf8);

// Draws `line` over the terminal's current line, clearing what an earlier,
// longer line left; ClearStatusLine blanks it and returns to its start.
void ShowStatusLine(FILE* stream, const std::string& line);
void ClearStatusLine(FILE* stream);

// When this program's console window closes with it (started from the
// desktop rather than a command prompt), asks for a key first so that the
// last lines stay readable; otherwise nothing.
void WaitIfConsoleClosesWithUs();
