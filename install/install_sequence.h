// What the launcher's Install button runs.
#pragma once

// Runs the whole install. 0 when it is done (the launcher then closes), -1
// when it stopped before copying (the launcher stays).
int RunInstallSequence();
