// Keeping DLLs planted beside the program (a Downloads folder) out of the
// process. The programs import only KnownDLLs, which Windows always maps
// from the system folder; every other system DLL is loaded through here.
#pragma once

#include <windows.h>

// Later loads search System32 only. Call first thing in WinMain; does
// nothing on a Windows 7 without the update that brought the call.
void RestrictDllSearchToSystem32();

// A function of a system DLL outside the KnownDLLs, loaded from System32
// (comctl32 still comes as the manifest's side-by-side version); null when
// the DLL or the function is missing. The DLL stays loaded.
FARPROC SystemFunction(const char* dll, const char* name);
