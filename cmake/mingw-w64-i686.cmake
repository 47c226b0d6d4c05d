# Cross toolchain for the 32-bit Windows build (MinGW-w64, i686).
#
# The -posix flavour of the compilers is used because it ships std::thread,
# std::mutex and friends (backed by winpthreads); the -win32 flavour does not.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QBN_MINGW_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${QBN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QBN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${QBN_MINGW_PREFIX}-windres)
# The message compiler ships beside windres (binutils); it turns the event
# messages into a message table resource that windres then compiles.
find_program(QBN_WINDMC ${QBN_MINGW_PREFIX}-windmc REQUIRED)

# Look for headers and libraries only in the target sysroot; programs we run
# during the build (none yet) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QBN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# add_test(COMMAND <target>) then runs the .exe under Wine. The caller's
# environment (WINEPREFIX, WINEDEBUG) decides which prefix it lands in.
find_program(QBN_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QBN_WINE})
