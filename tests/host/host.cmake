# The snapshot test compares the drawings the host saves as JSON.
target_link_libraries(host_tests PRIVATE nlohmann_json::nlohmann_json)
