# test_companion: Deskpal's walk, autostart entry and program start (no
# screen); test_companion_qt: its window on the offscreen platform.
file(GLOB companion_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_companion ${companion_test_sources})
target_link_libraries(test_companion PRIVATE phondeck_companion GTest::gmock GTest::gtest_main)
gtest_discover_tests(test_companion DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)

if(PHONDECK_GUI AND TARGET phondeck_companion_qt)
  file(GLOB companion_qt_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/qt/*.cpp)
  add_executable(test_companion_qt ${companion_qt_test_sources})
  target_include_directories(test_companion_qt PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(test_companion_qt PRIVATE phondeck_companion_qt Qt6::Test GTest::gmock GTest::gtest)
  gtest_discover_tests(test_companion_qt DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endif()
