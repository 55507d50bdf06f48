# The packages: `cmake --build <build dir> --target package`.
#
# Windows: Quolvane-<version>-win64.zip, the two programs side by side at its top with
# the README and the licence, stripped. They need nothing but the DLLs that come with
# Windows.
if(WIN32)
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Quolvane)
  set(CPACK_PACKAGE_VENDOR Quolvane)
  set(CPACK_PACKAGE_FILE_NAME "Quolvane-${PROJECT_VERSION}-win64")
  # The zip holds the files themselves, not a folder around them.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

# Linux: the Debian package. It holds whatever the install rules put under the prefix:
# quolvane, quolvane-resolve, the .desktop file, the icons and the licence.
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION share/doc/quolvane RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quolvane)
set(CPACK_PACKAGE_VENDOR Quolvane)
set(CPACK_PACKAGE_CONTACT "Quolvane maintainers <maintainers@quolvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Douyin share text to watermark-free play address")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Paste the share text of a Douyin short video into the window and click Parse:
Quolvane picks out the link, fetches the page behind it and writes the video's
watermark-free play address, which Download opens in the browser.

quolvane-resolve does the same on the command line, for many links at once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_STRIP_FILES ON)

# The libraries come from dpkg-shlibdeps; what the binaries start or load at run time
# does not show up there: the opener behind Download, and Qt's platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, qt6-qpa-plugins")
# The window's texts are Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")

include(CPack)
