# The remnants command on placed jobs of many parts turned by 45°, played through the stand-in host;
# nesting_job makes the jobs, job_check checks the remnants.
add_bench(remnant_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/remnant_bench.cpp LINKS nesting_api vlhost)
target_compile_definitions(remnant_bench PRIVATE JOB_CHECK="$<TARGET_FILE:job_check>" NESTING_JOB="$<TARGET_FILE:nesting_job>")
add_dependencies(remnant_bench job_check nesting_job)
