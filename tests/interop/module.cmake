# test_interop: two independent PC programs for these handsets (gnokii-cli
# and gammu, from Debian) run as black boxes against the telvane-handset
# program on a pseudo-terminal. Label "interop".
if(TARGET telvane-handset)
  add_executable(test_interop ${CMAKE_CURRENT_LIST_DIR}/interop_test.cpp)
  target_include_directories(test_interop PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(test_interop PRIVATE phondeck_organiser phondeck_sim GTest::gtest_main)
  target_compile_definitions(test_interop PRIVATE TELVANE_HANDSET="$<TARGET_FILE:telvane-handset>")
  add_dependencies(test_interop telvane-handset)
  gtest_discover_tests(test_interop DISCOVERY_MODE PRE_TEST PROPERTIES LABELS interop TIMEOUT 280)
endif()
