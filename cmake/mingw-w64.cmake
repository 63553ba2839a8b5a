# The Windows build: Debian's mingw-w64 cross compiler for 64-bit Windows, the posix
# thread model (so that std::thread and std::mutex work), and every run-time library
# linked in statically, so that a DLL or program needs nothing beside the system's DLLs.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DPG_HOST_TOOLS=<a Linux build's bin/>
# (scripts/windows.sh does all of it.) The Linux build's tools write the type libraries'
# IDL from the same type descriptions the libraries are built from.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PG_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PG_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PG_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PG_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PG_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthreads inside each binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(PG_WITH_QT OFF CACHE BOOL "Build the Qt toolkit, liborvane.so, the examples, the benchmarks and their tests")
set(PG_GTEST_FROM_SOURCE ON CACHE BOOL "Build GoogleTest from Debian's sources in /usr/src/googletest")
