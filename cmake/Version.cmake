# The project version (project() in CMakeLists.txt) is the only version in the
# tree. The build writes it into ZAVIPlaySDKVersion.h, which the tools print
# for --version and which is installed with the public headers.
configure_file(${CMAKE_CURRENT_LIST_DIR}/install/ZAVIPlaySDKVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/ZAVIPlaySDKVersion.h @ONLY)
add_library(zavi_version INTERFACE)
target_include_directories(zavi_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
