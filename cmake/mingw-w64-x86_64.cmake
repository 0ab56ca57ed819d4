# Cross-compiles the Windows x86-64 program and its tests with MinGW-w64 and
# runs the test programs under Wine through cmake/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZDV_MINGW x86_64-w64-mingw32)
# The -posix variants provide std::thread and std::mutex.
set(CMAKE_C_COMPILER   ${ZDV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZDV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZDV_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZDV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
