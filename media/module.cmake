# The command-line converter; its logic lives in phondeck_media (runConvert).
add_executable(phondeck-convert ${CMAKE_CURRENT_LIST_DIR}/tool/main.cpp)
target_link_libraries(phondeck-convert PRIVATE phondeck_media)
