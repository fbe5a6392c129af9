# The media relay module's logic: every .cpp in this folder but the module entry. The one list
# every build flavour compiles: media_relay_logic (CMakeLists.txt here), the fuzz sub-build
# (fuzz/CMakeLists.txt at the root) and the simulator's two builds (sim/). Sets MEDIA_RELAY_DIR
# and MEDIA_RELAY_LOGIC_SOURCES (absolute paths).
set(MEDIA_RELAY_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB MEDIA_RELAY_LOGIC_SOURCES CONFIGURE_DEPENDS ${MEDIA_RELAY_DIR}/*.cpp)
list(FILTER MEDIA_RELAY_LOGIC_SOURCES EXCLUDE REGEX "/module_entry\\.cpp$")
if(NOT MEDIA_RELAY_LOGIC_SOURCES)
  message(FATAL_ERROR "no media relay sources in ${MEDIA_RELAY_DIR}")
endif()
