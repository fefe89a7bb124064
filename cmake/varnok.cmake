# Source registration shared by the subsystem folders.
#
#   varnok_portable(a.cpp ...)  code without windows.h: built everywhere, and
#                               natively a second time with sanitizers for tests
#   varnok_win32(a_win.cpp ...) Win32 code: built only for Windows
#   varnok_posix(a_posix.cpp ...) the native counterpart of a _win file

function(varnok_portable)
  foreach(src IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY VARNOK_PORTABLE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
endfunction()

function(varnok_win32)
  foreach(src IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY VARNOK_WIN32_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
endfunction()

function(varnok_posix)
  foreach(src IN LISTS ARGN)
    set_property(GLOBAL APPEND PROPERTY VARNOK_POSIX_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
endfunction()

# Natively: varnok_portable (portable and posix sources) for the tools, and
# varnok_portable_asan, the same with AddressSanitizer and UBSan, for the
# test suite. On Windows: varnok_win, the portable and Win32 sources in one
# library, since the portable code calls into the Win32 half (AllocOrReport,
# the message boxes, the locator's lock).
function(varnok_make_libraries)
  get_property(portable GLOBAL PROPERTY VARNOK_PORTABLE_SOURCES)
  if(WIN32)
    get_property(win GLOBAL PROPERTY VARNOK_WIN32_SOURCES)
    add_library(varnok_win STATIC ${portable} ${win})
    target_include_directories(varnok_win PUBLIC ${PROJECT_SOURCE_DIR})
    # Only KnownDLLs are imported; comctl32 and winmm are loaded through
    # SystemFunction (shell/dll_hardening.h).
    target_link_libraries(varnok_win PUBLIC ZLIB::ZLIB ole32 uuid shell32 gdi32 user32)
    target_compile_definitions(varnok_win PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)
    return()
  endif()
  get_property(posix GLOBAL PROPERTY VARNOK_POSIX_SOURCES)
  list(APPEND portable ${posix})
  add_library(varnok_portable STATIC ${portable})
  target_include_directories(varnok_portable PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(varnok_portable PUBLIC ZLIB::ZLIB)
  if(VARNOK_TESTS AND NOT VARNOK_SANITIZE)
    # Without sanitizers the test suite links the tools' own library.
    add_library(varnok_portable_asan ALIAS varnok_portable)
  elseif(VARNOK_TESTS)
    add_library(varnok_portable_asan STATIC ${portable})
    target_include_directories(varnok_portable_asan PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(varnok_portable_asan PUBLIC ${VARNOK_SANITIZE_FLAGS})
    target_link_options(varnok_portable_asan PUBLIC ${VARNOK_SANITIZE_FLAGS})
    target_link_libraries(varnok_portable_asan PUBLIC ZLIB::ZLIB)
  endif()
endfunction()
