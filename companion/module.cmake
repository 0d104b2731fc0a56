# Deskpal, its own program: the Qt-free walk, artwork, autostart entry and
# program start (phondeck_companion), its window, and the tool that draws the
# frame sheet for docs/deskpal-frames.png.
phondeck_area(companion)
if(PHONDECK_GUI)
  phondeck_glob(companion_qt_sources companion/qt)
  add_library(phondeck_companion_qt STATIC ${companion_qt_sources})
  target_link_libraries(phondeck_companion_qt PUBLIC phondeck_companion Qt6::Widgets)
  add_executable(deskpal ${CMAKE_SOURCE_DIR}/companion/main/deskpal.cpp)
  target_link_libraries(deskpal PRIVATE phondeck_companion_qt)
  add_executable(deskpal_frames ${CMAKE_SOURCE_DIR}/companion/main/deskpal_frames.cpp)
  target_link_libraries(deskpal_frames PRIVATE phondeck_companion Qt6::Gui)
endif()
