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
add_custom_target(help_pages ALL DEPENDS ${help_copies})
if(TARGET telvane)
  add_dependencies(telvane help_pages)
endif()
