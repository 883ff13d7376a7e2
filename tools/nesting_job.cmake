# nesting_job: a nesting drawing made from a parts list through the library
# itself, for end-to-end scripts and for a person to look at.
add_executable(nesting_job ${CMAKE_CURRENT_SOURCE_DIR}/nesting_job.cpp)
target_link_libraries(nesting_job PRIVATE nesting_api vlhost)
