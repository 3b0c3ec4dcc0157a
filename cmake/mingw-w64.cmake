# Cross-compiling Velkor for Windows with MinGW-w64 (posix thread model, static
# runtime). Shared by the two widths: the toolchain file of each sets
# CMAKE_SYSTEM_PROCESSOR (i686 or x86_64), which names the compiler prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(VELKOR_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VELKOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELKOR_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELKOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
# Tests run under Wine in a private prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
