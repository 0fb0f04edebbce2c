# The Debian package of everything the build installs (each install rule sits
# beside its target).
#
#   cmake --preset release && cmake --build --preset release
#   cpack --config build-release/CPackConfig.cmake -B build-release/package
#
# gives build-release/package/kestrun-editor_<version>_amd64.deb. Included at
# the end of the top-level CMakeLists.txt, after every install rule.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrun-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ostrel SoftWare")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "level editor for the Kestrun game")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestrunle paints the levels of Kestrun, a top-down, tile-based game: a grid
of 16 x 11 cells, each with a terrain and three sprite layers drawn with the
game's own pictures. It reads and writes the game's .kmp map files, which
the desktop then opens with it.")
# The licence: LICENSE at the root; the package carries it in
# /usr/share/doc/kestrun-editor/copyright (data/copyright, DEP-5).
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ostrel SoftWare <kestrun-editor@ostrel.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; Qt's platform plugins (the X11 and
# Wayland ones among them) are only recommended by Qt, and the editor cannot
# show a window without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's dialogs in the desktop's language, and the fonts that match the
# window design's metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
