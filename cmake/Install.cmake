# What `cmake --install` puts under its prefix: the public headers, the three
# modules, zaviplay and zavipack, the documents, pkg-config files and the
# CMake package. Everything is found relative to where it lands, so an
# installation can be moved or unpacked under any prefix.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS ZAVIPlaySDK ZAVIDecSDK ZAVIFileSDK LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The player finds its companions beside itself ($ORIGIN, set on the target);
# the tools find the modules in the library folder next to their own.
file(RELATIVE_PATH zavi_bin_to_lib /p/${CMAKE_INSTALL_BINDIR} /p/${CMAKE_INSTALL_LIBDIR})
set_target_properties(zaviplay zavipack PROPERTIES INSTALL_RPATH "$ORIGIN/${zavi_bin_to_lib}")
install(TARGETS zaviplay zavipack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES
  ${PROJECT_SOURCE_DIR}/include/ZAVIPlaySDK.h
  ${PROJECT_SOURCE_DIR}/include/ZAVIPlaySDKEx.h
  ${PROJECT_SOURCE_DIR}/include/ZAVIVirtualDisplay.h
  ${PROJECT_SOURCE_DIR}/include/ZAVIVirtualSound.h
  ${CMAKE_BINARY_DIR}/generated/ZAVIPlaySDKVersion.h
  ${PROJECT_SOURCE_DIR}/companions/decsdk/ZAVIDecSDK.h
  ${PROJECT_SOURCE_DIR}/companions/decsdk/ZAVIPacket.h
  ${PROJECT_SOURCE_DIR}/companions/filesdk/ZAVIFileSDK.h
  ${PROJECT_SOURCE_DIR}/companions/filesdk/ZAVIRecordingWriter.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

file(GLOB zavi_docs ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${zavi_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# pkg-config: the prefix is worked out from where the .pc file lies.
set(zavi_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ZAVI_PC_PREFIX_FROM_PCDIR /p/${zavi_pc_dir} /p)
foreach(pc zaviplaysdk zavidecsdk zavifilesdk)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/install/${pc}.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc DESTINATION ${zavi_pc_dir})
endforeach()

# CMake package: find_package(ZAVIPlaySDK) gives ZAVIPlaySDK::ZAVIPlaySDK,
# ZAVIPlaySDK::ZAVIDecSDK and ZAVIPlaySDK::ZAVIFileSDK.
set(zavi_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZAVIPlaySDK)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/install/ZAVIPlaySDKConfig.cmake.in
  ${CMAKE_BINARY_DIR}/cmake/ZAVIPlaySDKConfig.cmake INSTALL_DESTINATION ${zavi_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/ZAVIPlaySDKConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/cmake/ZAVIPlaySDKConfig.cmake ${CMAKE_BINARY_DIR}/cmake/ZAVIPlaySDKConfigVersion.cmake
  DESTINATION ${zavi_cmake_dir})
