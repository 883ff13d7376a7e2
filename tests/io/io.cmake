# The scenario reads the answers of its Python checker as JSON.
target_link_libraries(io_tests PRIVATE nlohmann_json::nlohmann_json)
# The distances of the sheets' DXF files measured as job_check measures them.
target_sources(io_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/job_check/Clearance.cpp)
target_include_directories(io_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools)
