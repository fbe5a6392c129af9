# Fuzz targets are built by clang in a sub-build of this source tree (libFuzzer, ASan, UBSan,
# i386), so the native preset's one build also produces them in fuzz-build/.
include(ExternalProject)
ExternalProject_Add(fuzz_targets
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz-build
  CMAKE_ARGS -G Ninja -DKESTRAV_FUZZ_ONLY=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
             -DCMAKE_BUILD_TYPE=RelWithDebInfo
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  TEST_COMMAND "")
