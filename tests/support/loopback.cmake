# The loopback test servers as a CTest fixture (contract: tests/support/loopback.h).
#
#   quolvane_loopback_test(<test>)  makes <test> require the fixture "loopback" and
#                                   hands it QUOLVANE_LOOPBACK_BASE_PORT.
#
# loopback_server is a native program, also when the suites are cross-built for
# Windows and run through an emulator: then QUOLVANE_LOOPBACK_SERVER names a natively
# built loopback_server.

# Fixed ports per build directory, so the release, sanitizer and Windows runs can
# share the machine without clashing.
get_filename_component(_quolvane_build_name "${CMAKE_BINARY_DIR}" NAME)
if(_quolvane_build_name STREQUAL "release")
  set(_quolvane_default_port 18400)
elseif(_quolvane_build_name STREQUAL "asan")
  set(_quolvane_default_port 18500)
else()
  string(MD5 _quolvane_hash "${CMAKE_BINARY_DIR}")
  string(SUBSTRING "${_quolvane_hash}" 0 2 _quolvane_hash)
  math(EXPR _quolvane_default_port "18600 + ((0x${_quolvane_hash}) % 60) * 20")
endif()
set(QUOLVANE_LOOPBACK_BASE_PORT ${_quolvane_default_port} CACHE STRING
    "First of the 127.0.0.1 ports of the loopback test servers")

if(NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig REQUIRED)
  find_package(OpenSSL REQUIRED)
  find_package(Threads REQUIRED)
  pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  add_executable(loopback_server
    support/loopback_server/main.cpp
    support/loopback_server/certificates.cpp
    support/loopback_server/http_routes.cpp
    support/loopback_server/proxy_child.cpp
    support/loopback_server/raw_servers.cpp
    support/loopback_server/request_log.cpp)
  target_include_directories(loopback_server PRIVATE "${PROJECT_SOURCE_DIR}")
  target_link_libraries(loopback_server PRIVATE PkgConfig::CPP_HTTPLIB OpenSSL::SSL
                        OpenSSL::Crypto Threads::Threads)
  quolvane_warnings(loopback_server)
  set(_quolvane_server_default "$<TARGET_FILE:loopback_server>")
else()
  set(_quolvane_server_default "")
endif()
set(QUOLVANE_LOOPBACK_SERVER "${_quolvane_server_default}" CACHE STRING
    "The native loopback_server program the fixture runs")

set(QUOLVANE_LOOPBACK_DIR "${CMAKE_BINARY_DIR}/loopback")
if(QUOLVANE_LOOPBACK_SERVER)
  add_test(NAME loopback_start
           COMMAND "${QUOLVANE_LOOPBACK_SERVER}" start --base-port ${QUOLVANE_LOOPBACK_BASE_PORT}
                   --dir "${QUOLVANE_LOOPBACK_DIR}")
  add_test(NAME loopback_stop COMMAND "${QUOLVANE_LOOPBACK_SERVER}" stop --dir "${QUOLVANE_LOOPBACK_DIR}")
  set_tests_properties(loopback_start PROPERTIES FIXTURES_SETUP loopback TIMEOUT 60)
  set_tests_properties(loopback_stop PROPERTIES FIXTURES_CLEANUP loopback TIMEOUT 60)
else()
  message(WARNING "QUOLVANE_LOOPBACK_SERVER is not set: the suites that need the loopback "
                  "servers will fail. Point it at a natively built loopback_server.")
endif()

function(quolvane_loopback_test test)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED loopback)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
               "QUOLVANE_LOOPBACK_BASE_PORT=${QUOLVANE_LOOPBACK_BASE_PORT}")
endfunction()
