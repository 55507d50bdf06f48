# Compares the RegexObject table's observations of the three components:
#   cmake -DNATIVE_PROGRAM=<native regex_object_test> -DDIR=<results dir> -P compare_results.cmake
# The run without VBScript (built-in component) must observe exactly what the native
# run observes. The default run may differ only where the test did not run a case,
# naming the known dialect corner of the system component that serves it.

cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${NATIVE_PROGRAM}")
  message(FATAL_ERROR "no native regex_object_test at ${NATIVE_PROGRAM}: build the native tree "
                      "first (QUOLVANE_NATIVE_REGEX_TEST)")
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env QUOLVANE_REGEX_RESULTS=regex_results_native.txt
          "${NATIVE_PROGRAM}" --gtest_filter=RegexObjectTest.Table --gtest_brief=1
  WORKING_DIRECTORY "${DIR}"
  RESULT_VARIABLE native_result
  OUTPUT_VARIABLE native_output
  ERROR_VARIABLE native_output)
if(NOT native_result EQUAL 0)
  message(FATAL_ERROR "the native table failed:\n${native_output}")
endif()

# One list element per line; semicolons kept apart from the list separator.
function(read_lines name out)
  if(NOT EXISTS "${DIR}/${name}")
    message(FATAL_ERROR "${DIR}/${name} is missing: its test did not run")
  endif()
  file(READ "${DIR}/${name}" content)
  string(REPLACE ";" "<semicolon>" content "${content}")
  string(REGEX REPLACE "\n$" "" content "${content}")
  string(REPLACE "\n" ";" content "${content}")
  set(${out} "${content}" PARENT_SCOPE)
endfunction()

read_lines(regex_results_native.txt native)
read_lines(regex_results_without_vbscript.txt builtin)
read_lines(regex_results_default.txt default)
list(LENGTH native count)

set(failures "")
foreach(run builtin default)
  list(LENGTH ${run} run_count)
  if(NOT run_count EQUAL count)
    string(APPEND failures "${run}: ${run_count} lines, native: ${count}\n")
    continue()
  endif()
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    list(GET native ${i} want)
    list(GET ${run} ${i} got)
    if(got STREQUAL want)
      continue()
    endif()
    string(REGEX REPLACE "\t.*" "" case_name "${want}")
    string(REGEX REPLACE "\t.*" "" got_name "${got}")
    string(REGEX REPLACE "^[^\t]*\t" "" observed "${got}")
    if("${run}" STREQUAL "default" AND got_name STREQUAL case_name AND observed MATCHES "^not run: ")
      message(STATUS "known dialect corner, ${case_name}: ${observed}")
    elseif(i EQUAL 0 AND "${run}" STREQUAL "default")
      message(STATUS "default run: ${got}")
    else()
      string(APPEND failures "${run} differs from native:\n  native: ${want}\n  ${run}: ${got}\n")
    endif()
  endforeach()
endforeach()
list(GET default 0 served)
message(STATUS "${served}")
if(failures)
  string(REPLACE "<semicolon>" ";" failures "${failures}")
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "${count} lines compared: the built-in component observes what the native run "
               "observes; the default run differs only in the known corners above")
