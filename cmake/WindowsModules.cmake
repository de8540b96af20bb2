# Windows modules are named as their clients load them (ZAVIPlaySDK.dll, not
# libZAVIPlaySDK.dll), with an import library that MSVC and mingw both link
# (ZAVIPlaySDK.lib).
#
# zavi_windows_module(<target> [UNDECORATED]): UNDECORATED exports the
# module's stdcall functions under their plain names too (a companion module
# without a .def file), which is what GetProcAddress callers and forwarders
# name; the import library keeps the decorated names compilers link against.
function(zavi_windows_module target)
  cmake_parse_arguments(M "UNDECORATED" "" "" ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
  if(M_UNDECORATED)
    target_link_options(${target} PRIVATE -Wl,--add-stdcall-alias)
  endif()
endfunction()
