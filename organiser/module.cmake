# The calendar's iCalendar files go through libical.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBICAL REQUIRED IMPORTED_TARGET libical)
target_link_libraries(phondeck_organiser PUBLIC PkgConfig::LIBICAL)
