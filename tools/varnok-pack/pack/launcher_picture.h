// The launcher's picture, insttscr.rct, as the launcher will show it.
#pragma once

#include <string>

// The launcher shows the picture 1:1 in a square of this many pixels left of
// its buttons; a larger one is cut off and hidden under them.
constexpr int kLauncherPictureSize = 256;

enum class PictureVerdict { Shown, Smaller, Broken };

// Decodes the picture at `path` with the installer's own loader. Broken
// (unreadable, cut short, of another format, damaged, or larger than the
// launcher shows) and Smaller (shown with wider margins) come with
// the reason in `message`.
PictureVerdict CheckLauncherPicture(const std::string& path, std::string& message);
