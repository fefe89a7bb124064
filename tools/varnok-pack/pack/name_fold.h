// Names as Windows compares them: two names with the same fold are one
// file on the player's disk.
#pragma once

#include <string>

// The UTF-8 name with the letters Windows treats alike written in one case:
// ASCII, full-width Latin, Greek and Cyrillic (every cased letter Shift-JIS
// holds).
std::u32string FoldName(const std::string& utf8);
