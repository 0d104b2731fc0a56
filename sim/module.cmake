# The virtual handset as a program: serves a pseudo-terminal that Telvane
# opens as its serial device.
add_executable(telvane-handset ${CMAKE_SOURCE_DIR}/sim/main/main.cpp)
target_link_libraries(telvane-handset PRIVATE phondeck_sim)
