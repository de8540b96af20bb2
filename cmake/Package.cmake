# `cpack -G DEB` (run in the build folder) packs what Install.cmake installs
# into one Debian package under /usr. Its dependencies are read from the
# libraries the binaries link (dpkg-shlibdeps), and it carries a shlibs file
# so packages built against it depend on it in turn.
set(CPACK_PACKAGE_NAME zaviplaysdk)
set(CPACK_PACKAGE_VENDOR "ZAVIPlaySDK")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Playback library for DVR and network-camera clients, with zaviplay and zavipack")
set(CPACK_PACKAGE_CONTACT "ZAVIPlaySDK developers <zaviplaysdk@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
