# The English texts are compiled into phondeck_app from the resource file and
# regenerated whenever it changes.
set(app_texts_in ${CMAKE_SOURCE_DIR}/resources/texts_en.txt)
set(app_texts_out ${CMAKE_BINARY_DIR}/generated/app/english_texts_data.cpp)
add_custom_command(OUTPUT ${app_texts_out}
  COMMAND ${CMAKE_COMMAND} -DIN=${app_texts_in} -DOUT=${app_texts_out}
          -P ${CMAKE_SOURCE_DIR}/app/embed_texts.cmake
  DEPENDS ${app_texts_in} ${CMAKE_SOURCE_DIR}/app/embed_texts.cmake
  COMMENT "Embedding the English texts"
  VERBATIM)
target_sources(phondeck_app PRIVATE ${app_texts_out})

# What --version and Copy Diagnostics say the build was made from: the commit
# checked out when the build was configured, and the build type.
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --short HEAD
  OUTPUT_VARIABLE phondeck_commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/version.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  PHONDECK_COMMIT="${phondeck_commit}" PHONDECK_BUILD_TYPE="${CMAKE_BUILD_TYPE}")
