# Still images: snapshots of a player's picture and the image viewer, driven
# through the exports with real streams and pictures on the virtual screen.
# libjpeg-turbo is the outside oracle for every JPEG; the library never links it.
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)

zavi_add_test(still_image_test
  SOURCES still_image_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker PkgConfig::TURBOJPEG
  LABELS image)
