#include "install/install_sequence.h"

// Stands in until the install sequence lands: nothing is installed, the
// launcher stays.
int RunInstallSequence() { return -1; }
