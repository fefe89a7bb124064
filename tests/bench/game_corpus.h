// The benchmarks' game folder: the kinds of files a released game ships, in
// their usual shares of the bytes, made from a fixed seed so that every
// machine packs the same ~1,500 files (~190 MB). About a third of the bytes
// are media that are compressed already (music and voice, pictures), whose
// contents deflate can barely shrink; the rest are scripts, fonts, packed
// data files, uncompressed pictures and sounds, and the programs.
#pragma once

#include <filesystem>

// Writes the folder, install.env and insttscr.rct included; `bigMegabytes`
// above 0 adds one file of that many MiB, half incompressible, and
// `containers` two of the engine's containers of sprites and scripts (56
// and 36 MiB) that deflate shrinks by a third.
void MakeGameCorpus(const std::filesystem::path& dir, long bigMegabytes, bool containers);
