# Flags and output folders shared by every target of both presets.
if(WIN32)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 __USE_MINGW_ANSI_STDIO=1)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(KESTRAV_DIST ${CMAKE_BINARY_DIR}/dist)
  set(KESTRAV_ENGINE_DIR ${KESTRAV_DIST}/engine)
  set(KESTRAV_PLAYER_DIR ${KESTRAV_DIST}/player)
else()
  if(NOT KESTRAV_FUZZ_ONLY AND NOT KESTRAV_HOST_TOOLS_ONLY)
    # Message words and parameter blocks hold 32-bit pointers: the native build is i386 too.
    set(KESTRAV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(-m32 ${KESTRAV_SANITIZE} -g)
    add_link_options(-m32 ${KESTRAV_SANITIZE})
  endif()
  set(KESTRAV_ENGINE_DIR ${CMAKE_BINARY_DIR}/native/engine)
endif()
if(NOT WIN32 AND NOT KESTRAV_HOST_TOOLS_ONLY)
  # Every native executable carries its sanitizer defaults (see asan_defaults.c).
  set(asan_defaults ${CMAKE_BINARY_DIR}/asan_defaults.o)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -m32 -c ${CMAKE_SOURCE_DIR}/cmake/asan_defaults.c -o ${asan_defaults}
    RESULT_VARIABLE asan_defaults_rc)
  if(NOT asan_defaults_rc EQUAL 0)
    message(FATAL_ERROR "could not compile cmake/asan_defaults.c")
  endif()
  add_link_options("$<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${asan_defaults}>")
endif()
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)
set(KESTRAV_TEST_BIN ${CMAKE_BINARY_DIR}/tests-bin)
set(KESTRAV_RESULTS ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${KESTRAV_RESULTS})

# Engine texts that are not ASCII are written as GBK byte escapes (engine_texts.h), so no
# execution-charset flag is needed (clang has none).
set(KESTRAV_ENGINE_CHARSET)

# Gives a DLL or module its exact file name (no "lib" prefix) and puts it in the engine folder.
function(kestrav_engine_library target file_name suffix)
  if(WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name} SUFFIX ${suffix}
      RUNTIME_OUTPUT_DIRECTORY ${KESTRAV_ENGINE_DIR} LIBRARY_OUTPUT_DIRECTORY ${KESTRAV_ENGINE_DIR})
  else()
    # Natively "X.DLL" is looked up as libX.so in the same folder.
    set_target_properties(${target} PROPERTIES PREFIX "lib" OUTPUT_NAME ${file_name} SUFFIX ".so"
      LIBRARY_OUTPUT_DIRECTORY ${KESTRAV_ENGINE_DIR})
  endif()
endfunction()
