// What pack makes sure of before it writes anything.
#pragma once

#include <string>
#include <vector>

#include "tools/varnok-pack/pack/game_folder.h"

// The game folder and its install.env, checked as 'env check --game' does,
// findings printed. False when pack must stop: errors, or warnings too when
// `strict`.
bool CheckGameBeforePack(const std::string& gameDir, bool strict);

// The file pack writes, when it lies in the game folder, is an earlier run's
// output: it leaves the entries, with a note.
void LeaveOutOwnOutput(const std::string& output, std::vector<GameEntry>& entries);
