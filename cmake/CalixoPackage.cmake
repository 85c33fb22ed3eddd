# The Debian package: `cpack -G DEB` in a build folder makes
# calixo_VERSION_amd64.deb with everything `cmake --install` puts under /usr,
# the library dependencies read off the binaries by dpkg-shlibdeps, and the
# package's own documentation files.
# Packing installs what is built; it never builds the tests and benchmarks
# first (build the targets `calixo` and `dbfdump`, then run cpack).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME calixo)
set(CPACK_PACKAGE_VENDOR "Calixo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "month calendar with lunar dates, alarms and sticky notes")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Calixo developers <dev@calixo.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The two shared libraries are the program's own, found through its RPATH in
# /usr/lib/calixo; they are not for other packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# The launcher starts the program under X11 (xcb) and the month picture is a
# bitmap; the WenQuanYi font gives the Chinese texts their shapes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-wqy-zenhei")
# The synopsis is the summary above; this is the long text under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Calixo is a small skinned desktop calendar for Chinese users. Its main
window shows one month with the lunar date, festivals and solar terms under
each day and a marker on every day that has plans. Around it sit a
half-hour alarm and run list, a memo list whose memos pin to the desktop as
sticky notes, and a two-channel countdown.")
include(CPack)
