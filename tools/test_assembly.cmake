# test_assembly: the stand-in host's test assembly of sheet parts as a file,
# for end-to-end scripts that import it.
add_executable(test_assembly ${CMAKE_CURRENT_SOURCE_DIR}/test_assembly.cpp)
target_link_libraries(test_assembly PRIVATE vlhost)
