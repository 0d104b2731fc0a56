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
