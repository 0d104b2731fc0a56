# An installation into a scratch prefix and the Debian package, checked from
# outside with the system's own tools. Not in the sanitizer build: its
# programs are the same files, only slower to package.
if(TARGET telvane AND NOT PHONDECK_SANITIZE)
  add_test(NAME install.LayoutMenuEntriesAndPackage
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
            $<TARGET_EXISTS:deskpal> $<TARGET_EXISTS:phondeck>)
  set_tests_properties(install.LayoutMenuEntriesAndPackage PROPERTIES TIMEOUT 180)
endif()
