# Windows build: every shipped binary is a 32-bit PE image exporting exactly its names.
set(ts_xxxx "TS_XXXX@1")
set(vor_exports "TS_0001@1,TS_0002@2,TS_0003@3,TS_0004@4,TS_0005@5,TS_0006@6,TS_0007@7,TS_0008@8,TS_0009@9")
set(export_specs
  "vor|${vor_exports}"
  "quib|TS_XXXX@1,QuibSetNetHooks@2,QuibTakeSocketEvents@3"
  "kuz|${ts_xxxx}"
  "jev|${ts_xxxx}"
  "wix_module|${ts_xxxx}"
  "zub_module|${ts_xxxx}"
  "tstmod_module|${ts_xxxx}"
  "ziv|DllCanUnloadNow@1,DllGetClassObject@2,DllRegisterServer@3,DllUnregisterServer@4"
  "qeb|"
  "zentavo|"
  "registrar|"
  "rovask|")
set(export_args)
foreach(spec ${export_specs})
  string(REPLACE "|" ";" parts "${spec}")
  list(GET parts 0 target)
  list(LENGTH parts n)
  set(names "")
  if(n GREATER 1)
    list(GET parts 1 names)
  endif()
  # A renamed or missing target must not drop out of the check unnoticed.
  if(NOT TARGET ${target})
    message(FATAL_ERROR "export check: no target ${target}")
  endif()
  list(APPEND export_args "$<TARGET_FILE:${target}>=${names}")
endforeach()
add_test(NAME pe_exports COMMAND ${KESTRAV_PYTHON} ${CMAKE_SOURCE_DIR}/tools/check_pe_exports.py ${export_args})
set_tests_properties(pe_exports PROPERTIES LABELS "windows-static")
