# Cross-builds the Windows programs with mingw-w64 (x86_64-w64-mingw32). The tests run
# under Wine through scripts/wine-run, one prefix per build tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUOLVANE_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: std::mutex and thread_local need it with GCC 12.
set(CMAKE_C_COMPILER ${QUOLVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOLVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOLVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUOLVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthreads linked in, so a program needs only the DLLs that
# come with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

get_filename_component(_quolvane_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_quolvane_wine_run};--prefix;${CMAKE_BINARY_DIR}/wineprefix")
