# The toolkit's foundation, the one list every build flavour compiles: the presets' toolkit
# library (CMakeLists.txt here, which adds the window layer for Windows) and the fuzz
# sub-build (fuzz/CMakeLists.txt at the root). Sets TOOLKIT_DIR and TOOLKIT_CORE_SOURCES
# (absolute paths).
set(TOOLKIT_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TOOLKIT_CORE_SOURCES
  accelerator.cpp
  class_info.cpp
  collection.cpp
  component.cpp
  control_atom_name.cpp
  exceptions.cpp
  form_loader.cpp
  gauge_math.cpp
  program_resources.cpp
  published_properties.cpp
  str_to_int.cpp
  streams.cpp
  string_list.cpp
  text_convert.cpp
  xml_text.cpp
)
list(TRANSFORM TOOLKIT_CORE_SOURCES PREPEND ${TOOLKIT_DIR}/)
