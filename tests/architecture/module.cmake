# test_architecture: the areas' include rules and the source files' length,
# read from the sources and the build's own phondeck_area lines; it links no
# area, so it runs as soon as it is built.
add_executable(test_architecture ${CMAKE_CURRENT_LIST_DIR}/architecture_test.cpp)
target_link_libraries(test_architecture PRIVATE GTest::gtest_main)
target_compile_definitions(test_architecture PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(test_architecture DISCOVERY_MODE PRE_TEST)
