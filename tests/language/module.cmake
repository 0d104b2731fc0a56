# test_language: every language library of resources/ against the English
# table and the main window's menus.
file(GLOB language_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_language ${language_test_sources})
target_link_libraries(test_language PRIVATE phondeck_ui GTest::gtest_main)
target_compile_definitions(test_language PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(test_language DISCOVERY_MODE PRE_TEST)
