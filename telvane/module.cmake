# Telvane's composition root: the port of the configuration, the session and
# every window, made once at start-up (phondeck_telvane); the telvane program
# over it, and the program that photographs its windows for `make screenshots`.
if(PHONDECK_GUI AND TARGET phondeck_gui)
  phondeck_glob(telvane_sources telvane)
  add_library(phondeck_telvane STATIC ${telvane_sources})
  target_link_libraries(phondeck_telvane PUBLIC phondeck_gui phondeck_host)
  add_executable(telvane ${CMAKE_SOURCE_DIR}/telvane/main/telvane.cpp)
  target_link_libraries(telvane PRIVATE phondeck_telvane)
  add_executable(telvane_screenshots ${CMAKE_SOURCE_DIR}/telvane/main/screenshots.cpp)
  target_link_libraries(telvane_screenshots PRIVATE phondeck_telvane)
endif()
