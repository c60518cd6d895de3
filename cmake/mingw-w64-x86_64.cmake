# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model, GCC 12).
# The programs link the C and C++ run-time statically, so each .exe imports system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVORIN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVORIN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVORIN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVORIN_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross root; programs (wine, the host tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVORIN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
