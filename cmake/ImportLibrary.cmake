# The 32-bit import library of ZAVIPlaySDK.dll. A compiler calls a stdcall
# function by its decorated name (_name@bytes) while the DLL exports the plain
# name, so the import library the linker writes beside the DLL (plain names
# only) links no 32-bit client. dlltool writes one that maps each decorated
# name to the name the DLL exports.
include(${CMAKE_CURRENT_LIST_DIR}/ExportTable.cmake)

# zavi_stdcall_import_library(<target> <header>): each link of <target> is
# followed by writing its import library again from the header.
function(zavi_stdcall_import_library target header)
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}-import.def)
  zavi_write_def(${header} ${def_file} IMPORT)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def_file} --output-lib $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
