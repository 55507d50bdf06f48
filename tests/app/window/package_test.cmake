# Builds the .deb of this build tree, unpacks it into a scratch root as dpkg would lay
# it out, and checks what a user gets from it.
# -DBUILD_DIR=<build tree> -DSCRATCH=<dir to use> -DVERSION=<x.y.z> -DWITH_RESOLVE=ON|OFF
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_file path)
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "missing from the package: ${path}")
  endif()
endfunction()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
run("${CMAKE_CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB
    -B "${SCRATCH}/out")
file(GLOB debs "${SCRATCH}/out/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb, found: ${debs}")
endif()

run(dpkg-deb -f "${debs}" Package Version Depends)
set(control "${run_output}")
message(STATUS "control fields:\n${control}")
# libqt6widgets6 and libc6 come only from dpkg-shlibdeps, so they show the binaries were
# scanned; the other two are what the binaries start or load at run time.
foreach(field "Package: quolvane\n" "Version: ${VERSION}\n" "Depends: [^\n]*libqt6widgets6"
              "Depends: [^\n]*libc6" "Depends: [^\n]*xdg-utils" "Depends: [^\n]*qt6-qpa-plugins")
  if(NOT control MATCHES "${field}")
    message(FATAL_ERROR "control fields do not match '${field}'")
  endif()
endforeach()

set(root "${SCRATCH}/root")
run(dpkg-deb -x "${debs}" "${root}")

set(programs quolvane)
if(WITH_RESOLVE)
  list(APPEND programs quolvane-resolve)
endif()
foreach(program IN LISTS programs)
  expect_file("${root}/usr/bin/${program}")
  execute_process(COMMAND test -x "${root}/usr/bin/${program}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "usr/bin/${program} is not executable")
  endif()
endforeach()
if(WITH_RESOLVE)
  run("${root}/usr/bin/quolvane-resolve" --version)
  if(NOT run_output STREQUAL "quolvane-resolve ${VERSION}\n")
    message(FATAL_ERROR "unexpected --version output: '${run_output}'")
  endif()
endif()

set(desktop "${root}/usr/share/applications/quolvane.desktop")
expect_file("${desktop}")
file(READ "${desktop}" entry)
foreach(line "Type=Application" "Name=Quolvane" "Exec=quolvane" "Icon=quolvane"
             "Terminal=false")
  if(NOT entry MATCHES "(^|\n)${line}\n")
    message(FATAL_ERROR "${line} missing from the .desktop file")
  endif()
endforeach()
find_program(validate desktop-file-validate REQUIRED)
run("${validate}" "${desktop}")

set(icons "${root}/usr/share/icons/hicolor")
expect_file("${icons}/scalable/apps/quolvane.svg")
expect_file("${icons}/256x256/apps/quolvane.png")
expect_file("${root}/usr/share/doc/quolvane/copyright")
# The PNG signature, then the IHDR chunk's width and height (big-endian, bytes 16 to 23).
file(READ "${icons}/256x256/apps/quolvane.png" header LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a.*0000010000000100$")
  message(FATAL_ERROR "not a 256x256 PNG: ${header}")
endif()

file(REMOVE_RECURSE "${SCRATCH}")
