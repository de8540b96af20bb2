# The 32-bit import library of ZAVIPlaySDK.dll. A compiler calls a stdcall
# function by its decorated name (_name@bytes) while the DLL exports the plain
# name, so the import library the linker writes beside the DLL (plain names
# only) links no 32-bit client. dlltool writes one that maps each decorated
# name to the name the DLL exports.
include(${CMAKE_CURRENT_LIST_DIR}/ExportTable.cmake)

# zavi_write_import_def(<header> <def-file>): the header's exports under their
# decorated names, with the ordinals of the export table as hints. --kill-at
# turns each into the plain name; the one export whose name keeps its
# decoration says so after "==".
function(zavi_write_import_def header def_file)
  zavi_read_exports(${header} names sizes)
  set(lines "LIBRARY ZAVIPlaySDK.dll\nEXPORTS\n")
  set(ordinal 0)
  foreach(name ${names})
    list(GET sizes ${ordinal} bytes)
    math(EXPR ordinal "${ordinal} + 1")
    zavi_exported_name(${name} ${bytes} exported)
    set(line "  ${name}@${bytes} @${ordinal}")
    if(NOT exported STREQUAL name)
      string(APPEND line " == ${exported}")
    endif()
    string(APPEND lines "${line}\n")
  endforeach()
  file(WRITE ${def_file} "${lines}")
endfunction()

# zavi_stdcall_import_library(<target> <header>): each link of <target> is
# followed by writing its import library again from the header.
function(zavi_stdcall_import_library target header)
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}-import.def)
  zavi_write_import_def(${header} ${def_file})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def_file} --output-lib $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
