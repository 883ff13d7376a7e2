# The SVG test reads the pictures back with an XML parser.
target_link_libraries(platform_tests PRIVATE pugixml::pugixml)
target_include_directories(platform_tests PRIVATE ${PROJECT_SOURCE_DIR}/platform/src)
# The DXF tests read ezdxf's findings as JSON.
target_link_libraries(platform_tests PRIVATE nlohmann_json::nlohmann_json)
