# Clients and outside test suites load the modules by their plain names
# (libZAVIPlaySDK.so, libZAVIDecSDK.so, libZAVIFileSDK.so), so the files keep
# those names. Each carries the major version in its SONAME, and a symlink of
# that name points at the file, in the build tree as in an installation: a
# program linked against one major version records that SONAME and keeps
# loading a library with the same interface.
include(GNUInstallDirs)

function(zavi_versioned_soname target)
  set(file "lib${target}.so")
  set(soname "${file}.${PROJECT_VERSION_MAJOR}")
  set_target_properties(${target} PROPERTIES NO_SONAME ON)
  target_link_options(${target} PRIVATE "LINKER:-soname,${soname}")
  file(MAKE_DIRECTORY ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  file(CREATE_LINK ${file} ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${soname} SYMBOLIC)
  install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/${soname} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()
