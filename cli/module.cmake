# phondeck, the command-line tool; its logic lives in phondeck_cli.
add_executable(phondeck ${CMAKE_SOURCE_DIR}/cli/main/phondeck.cpp)
target_link_libraries(phondeck PRIVATE phondeck_cli)
