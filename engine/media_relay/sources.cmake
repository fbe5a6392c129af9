# The media relay module's logic: every .cpp in its module folders but the module entry. The one
# list every build flavour compiles: media_relay_logic (CMakeLists.txt here), the fuzz sub-build
# (fuzz/CMakeLists.txt at the root) and the simulator's two builds (sim/). Sets MEDIA_RELAY_DIR,
# MEDIA_RELAY_MODULES and MEDIA_RELAY_LOGIC_SOURCES (absolute paths). Headers are included by
# their module folder from this folder (`#include "transfer/peer_transfer.h"`).
set(MEDIA_RELAY_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MEDIA_RELAY_MODULES packets links peers transfer pieces serving io session)
# What else may sit here: the simulator, the fuzz targets, the demo and the unit tests.
set(media_relay_other_folders sim fuzz demo tests)

set(MEDIA_RELAY_LOGIC_SOURCES)
foreach(module ${MEDIA_RELAY_MODULES})
  file(GLOB module_sources CONFIGURE_DEPENDS ${MEDIA_RELAY_DIR}/${module}/*.cpp)
  if(NOT module_sources)
    message(FATAL_ERROR "no sources in the media relay module folder ${MEDIA_RELAY_DIR}/${module}")
  endif()
  list(APPEND MEDIA_RELAY_LOGIC_SOURCES ${module_sources})
endforeach()
list(FILTER MEDIA_RELAY_LOGIC_SOURCES EXCLUDE REGEX "/session/module_entry\\.cpp$")

# A source outside the module folders, or a folder nobody listed, would drop out of every
# build unnoticed; say so instead.
file(GLOB media_relay_stray CONFIGURE_DEPENDS ${MEDIA_RELAY_DIR}/*.cpp ${MEDIA_RELAY_DIR}/*.h)
if(media_relay_stray)
  message(FATAL_ERROR "media relay sources outside a module folder: ${media_relay_stray}")
endif()
file(GLOB media_relay_entries LIST_DIRECTORIES true ${MEDIA_RELAY_DIR}/*)
foreach(entry ${media_relay_entries})
  get_filename_component(entry_name ${entry} NAME)
  if(IS_DIRECTORY ${entry} AND NOT entry_name IN_LIST MEDIA_RELAY_MODULES
     AND NOT entry_name IN_LIST media_relay_other_folders)
    message(FATAL_ERROR "media relay folder ${entry_name} is neither a module nor listed in sources.cmake")
  endif()
endforeach()
