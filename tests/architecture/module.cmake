# test_architecture: the areas' include rules, the source files' length, and
# how outcomes and questions travel, read from the sources and the build's
# own phondeck_area lines; it links no area, so it runs as soon as it is built.
file(GLOB architecture_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_architecture ${architecture_test_sources})
target_link_libraries(test_architecture PRIVATE GTest::gtest_main)
target_compile_definitions(test_architecture PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(test_architecture DISCOVERY_MODE PRE_TEST)
