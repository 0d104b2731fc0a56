# Install rules by the GNU layout, the desktop menu entries with their icons
# and metadata, and the Debian package (`cmake --build build --target package`).
include(GNUInstallDirs)

# Help pages and language libraries live in share/phondeck/; the programs find
# it from their own folder, so an installation works under any prefix.
set(PHONDECK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/phondeck)
file(RELATIVE_PATH phondeck_data_from_bin /${CMAKE_INSTALL_BINDIR} /${PHONDECK_DATA_DIR})
target_compile_definitions(phondeck_app PRIVATE PHONDECK_DATA_FROM_BIN="${phondeck_data_from_bin}")

foreach(program telvane deskpal telvane-handset phondeck-convert phondeck)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Globbed so that pages and libraries added later join the next build.
file(GLOB_RECURSE phondeck_help_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/help/*)
if(phondeck_help_pages)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help DESTINATION ${PHONDECK_DATA_DIR})
endif()
file(GLOB phondeck_language_libraries CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/l_*.dll)
if(phondeck_language_libraries)
  install(FILES ${phondeck_language_libraries} DESTINATION ${PHONDECK_DATA_DIR})
endif()

# A menu entry, a scalable icon and PNGs of the usual sizes (drawn from the
# SVG at build time) for each desktop program.
set(phondeck_desktop ${CMAKE_SOURCE_DIR}/resources/desktop)
set(phondeck_icon_sizes 16 22 24 32 48 64 128 256)
set(phondeck_pngs)
foreach(program telvane deskpal)
  if(NOT TARGET ${program})
    continue()
  endif()
  find_program(PHONDECK_RSVG_CONVERT rsvg-convert REQUIRED)
  set(name phondeck-${program})
  install(FILES ${phondeck_desktop}/${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${phondeck_desktop}/${name}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${phondeck_icon_sizes})
    set(folder ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    add_custom_command(OUTPUT ${folder}/${name}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${PHONDECK_RSVG_CONVERT} -w ${size} -h ${size} -o ${folder}/${name}.png
              ${phondeck_desktop}/${name}.svg
      DEPENDS ${phondeck_desktop}/${name}.svg
      VERBATIM)
    list(APPEND phondeck_pngs ${folder}/${name}.png)
    install(FILES ${folder}/${name}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endforeach()
if(phondeck_pngs)
  add_custom_target(phondeck_icons ALL DEPENDS ${phondeck_pngs})
endif()
if(TARGET telvane)
  install(FILES ${phondeck_desktop}/org.phondeck.telvane.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The Debian package "phondeck": stripped programs under /usr, the shared
# libraries they need as Depends, Qt's translations and the CJK fonts as
# Recommends, no maintainer scripts (the menu and icon
# caches are refreshed by the desktop packages' own triggers).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME phondeck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Phondeck developers <phondeck@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop manager for Nokia GSM handsets on a serial cable")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Telvane reads, edits and writes the phone book, messages, calendar, clock,\n\
ringing tones, caller-group, operator and startup graphics and profiles of\n\
5110 to 8850 handsets over a serial data cable or an infrared adapter.\n\
Deskpal is a small animated desktop companion that starts Telvane.\n\
The package also holds telvane-handset, a virtual handset on a\n\
pseudo-terminal, phondeck-convert, a ringing-tone and picture converter,\n\
and phondeck, which runs the handset commands from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in the chosen language, and a font for the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk")
include(CPack)
