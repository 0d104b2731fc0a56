# The help pages go beside the programs (help/h_<language>.htm in the folder
# of the program file), where Help > Help and the dialogs' Help buttons look.
file(GLOB help_pages CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/help/*.htm)
set(help_copies)
foreach(page ${help_pages})
  get_filename_component(name ${page} NAME)
  set(copy ${CMAKE_BINARY_DIR}/help/${name})
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${copy}
    DEPENDS ${page}
    COMMENT "Placing the help page ${name} beside the programs"
    VERBATIM)
  list(APPEND help_copies ${copy})
endforeach()
# The language libraries likewise, where the programs look first.
file(GLOB language_libraries CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/l_*.dll)
foreach(library ${language_libraries})
  get_filename_component(name ${library} NAME)
  set(copy ${CMAKE_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${library} ${copy}
    DEPENDS ${library}
    COMMENT "Placing the language library ${name} beside the programs"
    VERBATIM)
  list(APPEND help_copies ${copy})
endforeach()
add_custom_target(help_pages ALL DEPENDS ${help_copies})
if(TARGET telvane)
  add_dependencies(telvane help_pages)
endif()
