# The portable core and its native tests as 32-bit Linux programs: long and
# size_t of 32 bits, as in the shipped installer. Static, so that qemu-i386
# runs them on a 64-bit-only kernel without a 32-bit loader.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(FIND_LIBRARY_USE_LIB32_PATHS ON)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
