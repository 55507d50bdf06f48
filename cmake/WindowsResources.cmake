# quolvane_windows_resources(<target> DESCRIPTION <text>): gives a Windows program the
# program icon, a version resource from the project version, and the manifest that asks
# for version 6 of the common controls. Nothing happens on other platforms.
#
# The icon is made at build time from the committed PNGs (icoutils' icotool): the small
# sizes as bitmaps, which every Windows version reads, the large ones as PNG.
include_guard(GLOBAL)

function(_quolvane_icon_target icon)
  if(TARGET quolvane_icon)
    return()
  endif()
  find_program(QUOLVANE_ICOTOOL icotool REQUIRED)
  set(source "${PROJECT_SOURCE_DIR}/app/window/icon")
  set(pngs "")
  set(args "")
  foreach(size 16 24 32 48 64 128 256)
    set(png "${source}/quolvane-${size}.png")
    list(APPEND pngs "${png}")
    if(size GREATER 64)
      list(APPEND args "--raw=${png}")
    else()
      list(APPEND args "${png}")
    endif()
  endforeach()
  get_filename_component(dir "${icon}" DIRECTORY)
  add_custom_command(
    OUTPUT "${icon}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
    COMMAND "${QUOLVANE_ICOTOOL}" --create "--output=${icon}" ${args}
    DEPENDS ${pngs}
    COMMENT "Making quolvane.ico"
    VERBATIM)
  add_custom_target(quolvane_icon DEPENDS "${icon}")
endfunction()

function(quolvane_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
  set(QUOLVANE_RC_ICON "${PROJECT_BINARY_DIR}/resources/quolvane.ico")
  _quolvane_icon_target("${QUOLVANE_RC_ICON}")

  set(QUOLVANE_RC_NAME "${target}")
  set(QUOLVANE_RC_FILE_NAME "${target}.exe")
  set(QUOLVANE_RC_DESCRIPTION "${ARG_DESCRIPTION}")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")
  set(QUOLVANE_RC_MANIFEST "${dir}/${target}.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in"
                 "${QUOLVANE_RC_MANIFEST}" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in"
                 "${dir}/${target}.rc" @ONLY)
  target_sources(${target} PRIVATE "${dir}/${target}.rc")
  # The resource compiler's dependency scan does not see the files the script names.
  set_source_files_properties("${dir}/${target}.rc"
    PROPERTIES OBJECT_DEPENDS "${QUOLVANE_RC_ICON};${QUOLVANE_RC_MANIFEST}")
  add_dependencies(${target} quolvane_icon)
endfunction()
