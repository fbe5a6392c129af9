# The skin's host tools (skinpack, skinart) are built for the build machine in a tree of their
# own, configured and built before anything runs them, so the cross build can run them too.
# Both presets use that tree: its tools are plain optimised builds, fast to run in the build.
#   KESTRAV_SKINPACK, KESTRAV_SKINART  the tools' paths
#   host_tools                          the target to depend on before running them
include(ExternalProject)
set(KESTRAV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(KESTRAV_SKINPACK ${KESTRAV_HOST_TOOLS_DIR}/bin/skinpack)
set(KESTRAV_SKINART ${KESTRAV_HOST_TOOLS_DIR}/bin/skinart)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${KESTRAV_HOST_TOOLS_DIR}
  CMAKE_ARGS -G Ninja -DKESTRAV_HOST_TOOLS_ONLY=ON -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
             -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${KESTRAV_HOST_TOOLS_DIR} --target skinpack skinart
  BUILD_BYPRODUCTS ${KESTRAV_SKINPACK} ${KESTRAV_SKINART}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  TEST_COMMAND "")

# Where the build leaves the skins (player/skin/assets/CMakeLists.txt makes them):
#   KESTRAV_SKIN_DIR          the production skin: members/, zentavo.skin (package), zentavo.blob
#                             (form payload), glazelmenu.bmp, track.bmp, trackvert.bmp, zentavo.ico,
#                             contact.bmp and contact.txt
#   KESTRAV_SKIN_TEST_ASSETS  the test skins: flat_*.skin/.blob, model_edge*.skin/.blob, corrupt/,
#                             include/flat_skin_colours.h, sources/ (their inis and pictures)
set(KESTRAV_SKIN_DIR ${CMAKE_BINARY_DIR}/skin)
set(KESTRAV_SKIN_TEST_ASSETS ${CMAKE_BINARY_DIR}/skin-test-assets)
