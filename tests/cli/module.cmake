# test_cli: phondeck's commands run in-process against the virtual handset on
# a pseudo-terminal, and the built program itself for its exit statuses.
if(TARGET phondeck)
  file(GLOB cli_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  add_executable(test_cli ${cli_test_sources})
  target_include_directories(test_cli PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(test_cli PRIVATE phondeck_cli GTest::gmock GTest::gtest_main)
  target_compile_definitions(test_cli PRIVATE PHONDECK_PROGRAM="$<TARGET_FILE:phondeck>")
  add_dependencies(test_cli phondeck)
  gtest_discover_tests(test_cli DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
endif()
