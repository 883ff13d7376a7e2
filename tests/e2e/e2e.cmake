# The checks of job_check are tested on a job that nesting_job makes.
target_compile_definitions(e2e_tests PRIVATE JOB_CHECK="$<TARGET_FILE:job_check>"
                                             NESTING_JOB="$<TARGET_FILE:nesting_job>")
add_dependencies(e2e_tests job_check nesting_job)
# job_check's distance measure, the wording of its summary, its reading of
# the registers and its measure of remnants against parts, tested on their own.
target_sources(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/job_check/Clearance.cpp
                                 ${PROJECT_SOURCE_DIR}/tools/job_check/SummaryText.cpp
                                 ${PROJECT_SOURCE_DIR}/tools/job_check/Registers.cpp
                                 ${PROJECT_SOURCE_DIR}/tools/job_check/RemnantCheck.cpp)
target_link_libraries(e2e_tests PRIVATE nesting_oracles)
target_include_directories(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools)
