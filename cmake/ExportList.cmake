# SPDX-License-Identifier: MIT
# The library's exports are listed once, in the linker version script
# library/interface/exports.map; the Windows .def file and the export checks
# are made from it.

# scriba8_export_names(MAP_FILE OUT_VAR): the names under "global:".
function(scriba8_export_names map_file out_var)
  file(READ ${map_file} text)
  string(REGEX REPLACE ".*global:(.*)local:.*" "\\1" text "${text}")
  string(REGEX REPLACE "[ \t\r\n;]+" ";" names "${text}")
  list(REMOVE_ITEM names "")
  set(${out_var} ${names} PARENT_SCOPE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${map_file})
endfunction()

# scriba8_write_def_file(MAP_FILE DEF_FILE DLL_NAME)
function(scriba8_write_def_file map_file def_file dll_name)
  scriba8_export_names(${map_file} names)
  list(JOIN names "\n  " lines)
  file(CONFIGURE OUTPUT ${def_file} CONTENT "LIBRARY ${dll_name}\nEXPORTS\n  ${lines}\n")
endfunction()
