# Cross-compiling for 64-bit Windows with MinGW-w64's posix-threads compilers (std::thread and
# std::mutex need them). Used by win/CMakeLists.txt; the tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run through Wine; `wine` picks the 64-bit loader for 64-bit programs.
find_program(KESTROLIN_WINE NAMES wine wine64)
if(KESTROLIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTROLIN_WINE})
endif()
