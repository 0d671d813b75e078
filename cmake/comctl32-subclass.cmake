# An import library for comctl32's subclassing service that imports the four
# functions by ordinal, the way comctl32 has always exported them.
set(_subclass_exports
  "SetWindowSubclass 410 16"
  "GetWindowSubclass 411 16"
  "RemoveWindowSubclass 412 12"
  "DefSubclassProc 413 16")
set(_def "LIBRARY comctl32.dll\nEXPORTS\n")
foreach(entry ${_subclass_exports})
  separate_arguments(fields UNIX_COMMAND "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 ordinal)
  list(GET fields 2 argbytes)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    string(APPEND _def "  ${name}@${argbytes} @${ordinal} NONAME\n")
  else()
    string(APPEND _def "  ${name} @${ordinal} NONAME\n")
  endif()
endforeach()
set(_def_file ${CMAKE_BINARY_DIR}/comctl32-subclass.def)
file(WRITE ${_def_file} "${_def}")
set(_machine i386:x86-64)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_machine i386)
endif()
set(_lib ${CMAKE_BINARY_DIR}/lib/libcomctl32-subclass.a)
add_custom_command(OUTPUT ${_lib}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
  COMMAND ${MINGW_TRIPLE}-dlltool -m ${_machine} -d ${_def_file} -l ${_lib}
  DEPENDS ${_def_file} VERBATIM)
add_custom_target(comctl32_subclass_implib DEPENDS ${_lib})
add_library(comctl32_subclass STATIC IMPORTED GLOBAL)
set_target_properties(comctl32_subclass PROPERTIES IMPORTED_LOCATION ${_lib})
add_dependencies(comctl32_subclass comctl32_subclass_implib)
