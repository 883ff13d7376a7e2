# example_assembly: the sample job's sheet-metal assembly (examples/assembly).
add_executable(example_assembly ${CMAKE_CURRENT_SOURCE_DIR}/example_assembly.cpp)
target_link_libraries(example_assembly PRIVATE vlhost)
