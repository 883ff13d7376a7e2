# The scenario reads the answers of its Python checker as JSON.
target_link_libraries(io_tests PRIVATE nlohmann_json::nlohmann_json)
