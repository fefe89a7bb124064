// Where a Windows program's own bytes end, so that what lies behind them
// can be told apart from the program.
#pragma once

#include <cstdint>
#include <cstdio>

// The end of the PE program in `file`: its sections and the COFF symbols a
// linker left behind them; or
// -1 when the file is no PE program. Moves the file position.
int64_t ProgramImageEnd(FILE* file);
