# The engine base's sources, the one list every build flavour compiles: the presets' libraries
# (CMakeLists.txt here), the fuzz sub-build (fuzz/CMakeLists.txt) and the simulator's build
# without sanitizers (engine/media_relay/sim/). Sets ENGINE_SHARED_DIR and ENGINE_SHARED_SOURCES
# (absolute paths; the platform edge of the build's target).
set(ENGINE_SHARED_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ENGINE_SHARED_SOURCES
  debug_output.cpp
  engine_tables.cpp
  engine_tick.cpp
  message_ids.cpp
  message_object.cpp
)
if(WIN32)
  list(APPEND ENGINE_SHARED_SOURCES platform_win32.cpp seh_guard_win32.cpp)
else()
  list(APPEND ENGINE_SHARED_SOURCES platform_posix.cpp seh_guard_posix.cpp)
endif()
list(TRANSFORM ENGINE_SHARED_SOURCES PREPEND ${ENGINE_SHARED_DIR}/)
