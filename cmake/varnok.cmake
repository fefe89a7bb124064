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

# varnok_portable: the portable core. Natively also varnok_portable_asan,
# the same sources with AddressSanitizer and UBSan, for the test suite.
# On Windows also varnok_win: the Win32 half of the installer.
function(varnok_make_libraries)
  get_property(portable GLOBAL PROPERTY VARNOK_PORTABLE_SOURCES)
  if(NOT WIN32)
    get_property(posix GLOBAL PROPERTY VARNOK_POSIX_SOURCES)
    list(APPEND portable ${posix})
  endif()
  add_library(varnok_portable STATIC ${portable})
  target_include_directories(varnok_portable PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(varnok_portable PUBLIC ZLIB::ZLIB)
  if(WIN32)
    get_property(win GLOBAL PROPERTY VARNOK_WIN32_SOURCES)
    add_library(varnok_win STATIC ${win})
    target_link_libraries(varnok_win PUBLIC varnok_portable comctl32 winmm ole32 uuid shell32 gdi32 user32)
    # The portable code calls back into the Win32 half (AllocOrReport, the
    # message boxes, the locator's lock): a cycle that CMake links by repeating.
    target_link_libraries(varnok_portable PUBLIC varnok_win)
    # The installer is an ANSI program: every text is in the process code page.
    target_compile_definitions(varnok_win PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)
  elseif(VARNOK_TESTS)
    add_library(varnok_portable_asan STATIC ${portable})
    target_include_directories(varnok_portable_asan PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(varnok_portable_asan PUBLIC ${VARNOK_SANITIZE_FLAGS})
    target_link_options(varnok_portable_asan PUBLIC ${VARNOK_SANITIZE_FLAGS})
    target_link_libraries(varnok_portable_asan PUBLIC ZLIB::ZLIB)
  endif()
endfunction()
