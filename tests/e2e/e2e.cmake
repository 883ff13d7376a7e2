# The checks of job_check are tested on a job that nesting_job makes.
target_compile_definitions(e2e_tests PRIVATE JOB_CHECK="$<TARGET_FILE:job_check>"
                                             NESTING_JOB="$<TARGET_FILE:nesting_job>")
add_dependencies(e2e_tests job_check nesting_job)
