# The skin package code, the one list every build flavour compiles: the presets' libraries
# (player/skin/CMakeLists.txt) and the fuzz sub-build (fuzz/CMakeLists.txt at the root). Sets
# SKIN_PACKAGE_DIR, SKIN_LZH_TREE_SOURCES (the LZHUF tree the packer's encoder shares) and
# SKIN_CORE_SOURCES (decoding, archive reading, the ini reader), as absolute paths.
set(SKIN_PACKAGE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(SKIN_LZH_TREE_SOURCES ${SKIN_PACKAGE_DIR}/lzh_tree.cpp)
set(SKIN_CORE_SOURCES
  byte_text.cpp
  lzh_decoder.cpp
  quick_ini.cpp
  skin_messages.cpp
  skin_reader.cpp
)
list(TRANSFORM SKIN_CORE_SOURCES PREPEND ${SKIN_PACKAGE_DIR}/)
