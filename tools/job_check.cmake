# job_check: independent checks of what a nesting job leaves (the e2e tests
# and scripts/demo), and its summary. CGAL measures overlaps exactly; the
# DXF and CSV files are read by Debian's python3 through file_check.py.
file(GLOB job_check_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/job_check/*.cpp)
add_executable(job_check ${job_check_sources})
target_link_libraries(job_check PRIVATE nesting_api vlhost nesting_oracles nlohmann_json::nlohmann_json)
target_include_directories(job_check PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(job_check PRIVATE JOB_CHECK_FILE_CHECK="${CMAKE_CURRENT_SOURCE_DIR}/file_check.py")
