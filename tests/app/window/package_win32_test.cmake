# Builds the Windows zip of this build tree, unpacks it into a scratch folder and checks
# what a user gets from it: both programs at the top, stripped, the README and the licence.
# -DBUILD_DIR=<build tree> -DSCRATCH=<dir to use> -DVERSION=<x.y.z> -DOBJDUMP=<objdump>
# -DCMAKE_CPACK_COMMAND=<cpack>
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/root")
run("${CMAKE_CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake" -G ZIP -B "${SCRATCH}/out")
set(zip "${SCRATCH}/out/Quolvane-${VERSION}-win64.zip")
if(NOT EXISTS "${zip}")
  file(GLOB made "${SCRATCH}/out/*")
  message(FATAL_ERROR "no ${zip}; made: ${made}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${zip}"
  WORKING_DIRECTORY "${SCRATCH}/root" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${zip}")
endif()

file(GLOB top RELATIVE "${SCRATCH}/root" "${SCRATCH}/root/*")
list(SORT top)
if(NOT top STREQUAL "LICENSE;README.md;quolvane-resolve.exe;quolvane.exe")
  message(FATAL_ERROR "unexpected contents of the zip: ${top}")
endif()
foreach(program quolvane.exe quolvane-resolve.exe)
  run("${OBJDUMP}" -h "${SCRATCH}/root/${program}")
  if(run_output MATCHES "\\.debug_")
    message(FATAL_ERROR "${program} is not stripped")
  endif()
  file(SIZE "${SCRATCH}/root/${program}" size)
  message(STATUS "${program}: ${size} bytes")
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
