# Test registration for both presets. Windows tests run under wine in an isolated prefix made
# by tools/wine-env; native tests run directly with the sanitizers reporting as failures.
set(KESTRAV_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(KESTRAV_PYTHON /usr/bin/python3)
set(KESTRAV_SKIP_CODE 77)

set(KESTRAV_NATIVE_ENV
  "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:halt_on_error=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

if(WIN32)
  add_test(NAME wine_prefix_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env up ${KESTRAV_WINE_DIR})
  add_test(NAME wine_prefix_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env down ${KESTRAV_WINE_DIR})
  set_tests_properties(wine_prefix_up PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300)
  set_tests_properties(wine_prefix_down PROPERTIES FIXTURES_CLEANUP wineprefix)
  add_test(NAME xvfb_up COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env xvfb-up ${KESTRAV_WINE_DIR})
  add_test(NAME xvfb_down COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env xvfb-down ${KESTRAV_WINE_DIR})
  set_tests_properties(xvfb_up PROPERTIES FIXTURES_SETUP xvfb FIXTURES_REQUIRED wineprefix)
  set_tests_properties(xvfb_down PROPERTIES FIXTURES_CLEANUP xvfb)
endif()

if(NOT WIN32)
  # The sanitizers really report in this build, emulated i386 included (cmake/asan_probe.cpp).
  add_executable(asan_probe ${CMAKE_SOURCE_DIR}/cmake/asan_probe.cpp)
  set_target_properties(asan_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTRAV_TEST_BIN})
  add_test(NAME asan_probe COMMAND asan_probe)
  set_tests_properties(asan_probe PROPERTIES LABELS native ENVIRONMENT "${KESTRAV_NATIVE_ENV}"
    PASS_REGULAR_EXPRESSION "AddressSanitizer: heap-buffer-overflow")
endif()

# kestrav_gtest(NAME SOURCES... [LIBS...] [LABELS...] [ENV...] [GUI])
function(kestrav_gtest name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTRAV_TEST_BIN})
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${KESTRAV_RESULTS}/${name}.xml)
  if(WIN32)
    set(fixtures wineprefix)
    set(labels wine ${T_LABELS})
    if(T_GUI)
      list(APPEND fixtures xvfb)
      list(APPEND labels gui)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 300 FIXTURES_REQUIRED "${fixtures}"
      SKIP_RETURN_CODE ${KESTRAV_SKIP_CODE}
      ENVIRONMENT "WINEPREFIX=${KESTRAV_WINE_DIR}/run;KESTRAV_ENGINE_DIR=${KESTRAV_ENGINE_DIR};${T_ENV}")
  else()
    set_tests_properties(${name} PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT 300
      ENVIRONMENT "${KESTRAV_NATIVE_ENV};KESTRAV_ENGINE_DIR=${KESTRAV_ENGINE_DIR};${T_ENV}")
  endif()
endfunction()

# kestrav_pytest(NAME FILE [LABELS...] [ENV...]) — multi-process tests driven by Python. The
# repository's pytest.ini gives them their import path (tools, tests/harness).
function(kestrav_pytest name)
  cmake_parse_arguments(T "" "FILE" "LABELS;ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${KESTRAV_PYTHON} -m pytest -q -p no:cacheprovider -c ${CMAKE_SOURCE_DIR}/pytest.ini
    --junitxml=${KESTRAV_RESULTS}/${name}.xml ${T_FILE})
  set(env "KESTRAV_SOURCE_DIR=${CMAKE_SOURCE_DIR};KESTRAV_BUILD_DIR=${CMAKE_BINARY_DIR}"
          "KESTRAV_ENGINE_DIR=${KESTRAV_ENGINE_DIR};PYTHONDONTWRITEBYTECODE=1")
  if(WIN32)
    list(APPEND env "KESTRAV_WINE_DIR=${KESTRAV_WINE_DIR};WINEPREFIX=${KESTRAV_WINE_DIR}/run")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
    set(labels wine multi ${T_LABELS})
  else()
    list(APPEND env ${KESTRAV_NATIVE_ENV})
    set(labels native multi ${T_LABELS})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 600 RUN_SERIAL TRUE
    SKIP_RETURN_CODE ${KESTRAV_SKIP_CODE} ENVIRONMENT "${env};${T_ENV}")
endfunction()

# kestrav_fuzz_run(AREA WHAT [TIMEOUT s] [ARGS...] [ASAN options...] [SEEDS files...] [PREPARE command...])
# A 20 s run of the libFuzzer target WHAT_fuzz (made by the fuzz sub-build in fuzz-build/bin),
# registered as the test AREA_fuzz_WHAT; native builds only. ARGS go to the fuzzer, ASAN adds
# ASan options to the common ones, SEEDS are named one by one (a 32-bit fuzzer under the
# emulator lists no files in a corpus folder) and PREPARE is a shell command run first, one
# that makes the seeds. The ASan quarantine is kept small: under the i386 emulation a large one
# exhausts the address space.
function(kestrav_fuzz_run area what)
  cmake_parse_arguments(F "" "TIMEOUT" "ARGS;ASAN;SEEDS;PREPARE" ${ARGN})
  if(NOT WIN32)
    set(name ${area}_fuzz_${what})
    set(run ${CMAKE_BINARY_DIR}/fuzz-build/bin/${what}_fuzz -max_total_time=20
            -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${what}_fuzz- ${F_ARGS})
    if(F_SEEDS)
      list(JOIN F_SEEDS "," seeds)
      list(APPEND run -seed_inputs=${seeds})
    endif()
    if(F_PREPARE)
      list(JOIN F_PREPARE " " prepare)
      list(JOIN run " " run_line)
      add_test(NAME ${name} COMMAND sh -c "${prepare} && ${run_line}")
    else()
      add_test(NAME ${name} COMMAND ${run})
    endif()
    if(NOT F_TIMEOUT)
      set(F_TIMEOUT 120)
    endif()
    set(asan quarantine_size_mb=16 detect_leaks=0 halt_on_error=1 ${F_ASAN})
    list(JOIN asan ":" asan)
    set_tests_properties(${name} PROPERTIES LABELS "native;fuzz" TIMEOUT ${F_TIMEOUT}
      ENVIRONMENT "ASAN_OPTIONS=${asan}")
  endif()
endfunction()
