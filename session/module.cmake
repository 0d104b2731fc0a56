# The whole-handset backup is a ZIP archive written and read with libzip.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
target_link_libraries(phondeck_session PUBLIC PkgConfig::LIBZIP)
# The upload to CardDAV and CalDAV servers goes through libcurl.
pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(phondeck_session PUBLIC PkgConfig::LIBCURL)
