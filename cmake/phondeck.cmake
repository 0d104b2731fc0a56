# phondeck_glob(OUT dir...): the .cpp files directly in each folder (not below).
function(phondeck_glob out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# phondeck_area(NAME dep...): library phondeck_NAME from NAME/*.cpp, linked to
# phondeck_DEP for each dependency. An area with no sources yet is an interface
# library, so the build works while an area is still empty.
function(phondeck_area name)
  phondeck_glob(sources ${name})
  set(deps)
  foreach(dep ${ARGN})
    list(APPEND deps phondeck_${dep})
  endforeach()
  if(sources)
    add_library(phondeck_${name} STATIC ${sources})
    target_include_directories(phondeck_${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(phondeck_${name} PUBLIC ${deps} Threads::Threads)
  else()
    add_library(phondeck_${name} INTERFACE)
    target_include_directories(phondeck_${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(phondeck_${name} INTERFACE ${deps} Threads::Threads)
  endif()
endfunction()

# The optimised builds carry line tables only (-g1, after the build type's
# -g): backtraces and the sanitizers' and fuzzers' reports keep their files
# and lines, and the build compiles a third faster. A debugger that shows
# locals wants PHONDECK_FULL_DEBUG_INFO=ON.
option(PHONDECK_FULL_DEBUG_INFO "RelWithDebInfo builds with full debug information" OFF)
if(NOT PHONDECK_FULL_DEBUG_INFO)
  add_compile_options($<$<CONFIG:RelWithDebInfo>:-g1>)
endif()
