# test_ui: the main window's plain logic (no screen); test_ui_qt: the windows
# themselves on the offscreen platform, and the telvane program.
file(GLOB ui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_ui ${ui_test_sources})
target_include_directories(test_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(test_ui PRIVATE phondeck_ui phondeck_core GTest::gmock GTest::gtest_main)
target_compile_definitions(test_ui PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(test_ui DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

if(PHONDECK_GUI AND TARGET phondeck_gui)
  file(GLOB ui_qt_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/qt/*.cpp)
  if(ui_qt_test_sources)
    add_executable(test_ui_qt ${ui_qt_test_sources})
    target_include_directories(test_ui_qt PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(test_ui_qt PRIVATE phondeck_telvane phondeck_core Qt6::Test
      GTest::gmock GTest::gtest)
    target_compile_definitions(test_ui_qt PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(TARGET telvane)
      add_dependencies(test_ui_qt telvane)
      target_compile_definitions(test_ui_qt PRIVATE TELVANE_PROGRAM="$<TARGET_FILE:telvane>")
    endif()
    gtest_discover_tests(test_ui_qt DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endif()
endif()
