# quolvane_library(NAME SOURCES... [DEPS ...]): one static library per layer,
# with the project's warning flags and the source root as include root.
function(quolvane_warnings target)
  target_compile_options(${target} PRIVATE ${QUOLVANE_WARNING_FLAGS})
endfunction()

function(quolvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(quolvane::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  quolvane_warnings(${name})
endfunction()
