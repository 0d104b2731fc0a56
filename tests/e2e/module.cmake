# test_e2e: the whole core against the virtual handset (virtual time, and the
# serial port on a pseudo-terminal); test_e2e_qt: the main window and the
# information dialogs on the offscreen platform.
file(GLOB e2e_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_e2e ${e2e_test_sources})
target_include_directories(test_e2e PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(test_e2e PRIVATE phondeck_core phondeck_sim phondeck_host GTest::gmock GTest::gtest_main)
target_compile_definitions(test_e2e PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The 1,000-seed fault runs take several times longer under the sanitizers
# (the restore run about 400 s there against 25 s plain). The whole
# backup's fault runs take some 55 s of processor plain, which a machine
# shared with other builds stretches past two minutes.
if(PHONDECK_SANITIZE)
  set(e2e_timeout 1500)
else()
  set(e2e_timeout 300)
endif()
gtest_discover_tests(test_e2e DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${e2e_timeout})

if(PHONDECK_GUI AND TARGET phondeck_gui)
  file(GLOB e2e_qt_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/qt/*.cpp)
  if(e2e_qt_test_sources)
    add_executable(test_e2e_qt ${e2e_qt_test_sources})
    target_include_directories(test_e2e_qt PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(test_e2e_qt PRIVATE phondeck_telvane phondeck_core phondeck_sim Qt6::Test
      GTest::gmock GTest::gtest)
    target_compile_definitions(test_e2e_qt PRIVATE PHONDECK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(test_e2e_qt DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endif()
endif()
