# The Windows DLL's export table, read from the public header so the list of
# exports lives in one place. Every export is stdcall with 32-bit arguments;
# ordinals run from 1 in the ASCII order of the undecorated names. Two
# exports differ from the rest: the player's first-rule query is exported
# under its stdcall-decorated name, and the file module's first-rule query is
# a forwarder into ZAVIFileSDK.dll.
set(ZAVI_DECORATED_EXPORT ZAVI_Play_GetFirstRule)
set(ZAVI_FORWARDED_EXPORT ZAVI_Read_GetFirstRule)
set(ZAVI_FORWARD_MODULE ZAVIFileSDK)
set(ZAVI_EXPORT_COUNT 63)
set(ZAVI_STDCALL_ARGUMENT_BYTES 4)

# zavi_read_exports(<header> <names-var> <bytes-var>): the exported names in
# ordinal order and, in the same order, the bytes of arguments each pops.
function(zavi_read_exports header names_var bytes_var)
  file(READ ${header} text)
  string(REGEX REPLACE "[\r\n\t ]+" " " text "${text}")
  string(REGEX MATCHALL "ZAVI_API [A-Za-z0-9_]+ ZAVI_CALL [A-Za-z0-9_]+ ?\\([^)]*\\)" declarations "${text}")
  set(names "")
  foreach(declaration ${declarations})
    string(REGEX REPLACE ".* ZAVI_CALL ([A-Za-z0-9_]+) ?\\(.*" "\\1" name "${declaration}")
    string(REGEX REPLACE ".*\\(([^)]*)\\)" "\\1" arguments "${declaration}")
    string(STRIP "${arguments}" arguments)
    if(arguments STREQUAL "void" OR arguments STREQUAL "")
      set(count 0)
    else()
      string(REGEX MATCHALL "," commas "${arguments}")
      list(LENGTH commas count)
      math(EXPR count "${count} + 1")
    endif()
    math(EXPR bytes_${name} "${count} * ${ZAVI_STDCALL_ARGUMENT_BYTES}")
    list(APPEND names ${name})
  endforeach()
  list(SORT names COMPARE STRING)
  set(sizes "")
  foreach(name ${names})
    list(APPEND sizes ${bytes_${name}})
  endforeach()
  list(LENGTH names found)
  if(NOT found EQUAL ZAVI_EXPORT_COUNT)
    message(FATAL_ERROR "${header} declares ${found} exports, the DLL exports ${ZAVI_EXPORT_COUNT}")
  endif()
  set(${names_var} ${names} PARENT_SCOPE)
  set(${bytes_var} ${sizes} PARENT_SCOPE)
endfunction()

# zavi_exported_name(<name> <bytes> <var>): the name as the DLL exports it.
function(zavi_exported_name name bytes var)
  if(name STREQUAL ZAVI_DECORATED_EXPORT)
    set(${var} "_${name}@${bytes}" PARENT_SCOPE)
  else()
    set(${var} "${name}" PARENT_SCOPE)
  endif()
endfunction()

# zavi_write_def(<header> <def-file> <style>): a module definition file of
# the export table, in one of three styles:
#  DECORATED  the i686 DLL's link: its compiled functions carry stdcall
#             decorations (name@bytes), mapped to the exported names;
#  PLAIN      the 64-bit DLL's link: one calling convention, no decorations;
#  IMPORT     the i686 import library, for dlltool --kill-at: each decorated
#             name a compiler references becomes the plain exported name,
#             and the one export that keeps its decoration says so after "==".
function(zavi_write_def header def_file style)
  zavi_read_exports(${header} names sizes)
  set(lines "LIBRARY ZAVIPlaySDK.dll\nEXPORTS\n")
  set(ordinal 0)
  foreach(name ${names})
    list(GET sizes ${ordinal} bytes)
    math(EXPR ordinal "${ordinal} + 1")
    zavi_exported_name(${name} ${bytes} exported)
    if(style STREQUAL "IMPORT")
      set(line "${name}@${bytes} @${ordinal}")
      if(NOT exported STREQUAL name)
        string(APPEND line " == ${exported}")
      endif()
    elseif(name STREQUAL ZAVI_FORWARDED_EXPORT)
      set(line "${exported} = ${ZAVI_FORWARD_MODULE}.${name} @${ordinal}")
    elseif(style STREQUAL "DECORATED")
      set(line "${exported} = ${name}@${bytes} @${ordinal}")
    else()
      set(line "${exported} = ${name} @${ordinal}")
    endif()
    string(APPEND lines "  ${line}\n")
  endforeach()
  file(WRITE ${def_file} "${lines}")
endfunction()

# zavi_write_export_list(<header> <c-header>): the export table as a C array
# of names and ordinals, for programs that check the built DLL from inside.
function(zavi_write_export_list header out)
  zavi_read_exports(${header} names sizes)
  set(lines "/* Made by cmake/ExportTable.cmake from ZAVIPlaySDK.h. */\n")
  string(APPEND lines "static const struct { const char *name; unsigned ordinal; } kZaviExports[] = {\n")
  set(ordinal 0)
  foreach(name ${names})
    list(GET sizes ${ordinal} bytes)
    math(EXPR ordinal "${ordinal} + 1")
    zavi_exported_name(${name} ${bytes} exported)
    string(APPEND lines "    {\"${exported}\", ${ordinal}},\n")
  endforeach()
  string(APPEND lines "};\n")
  file(WRITE ${out} "${lines}")
endfunction()
