# The second toolchain: clang with LLVM's standard library (libc++), as Debian packages
# them (clang, libc++-dev, libc++abi-dev).
#   cmake -S . -B build-libcxx -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/clang-libcxx.cmake
# Debian's Qt, Google Benchmark and GoogleTest binaries use libstdc++ and cannot be linked
# here, so this build leaves out what needs Qt or Google Benchmark and compiles GoogleTest
# from its sources.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")

set(PG_WITH_QT OFF CACHE BOOL "Build the Qt toolkit, liborvane.so, the examples, the benchmarks and their tests")
set(PG_GTEST_FROM_SOURCE ON CACHE BOOL "Build GoogleTest from Debian's sources in /usr/src/googletest")
