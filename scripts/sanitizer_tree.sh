# Sourced by scripts/test.sh and scripts/fuzz.sh: the one clang tree with AddressSanitizer
# and UndefinedBehaviorSanitizer that holds both the sanitizer suite and the fuzz targets,
# so that the libraries are compiled once for both. No benchmarks and no Designer plugin:
# this tree never runs them. -O1 keeps the fuzz targets and the suite quick under the
# sanitizers while assertions stay on.
sanitizer_build_dir="$root/build-asan"
sanitizer_cmake_args=(-DPG_FUZZ=ON -DPG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
                      -DPG_BUILD_BENCH=OFF -DPG_WITH_DESIGNER=OFF)
export CC=clang CXX=clang++
