# The source-data panel with thousands of pieces of one part, played through the stand-in host.
add_bench(source_panel_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/source_panel_bench.cpp LINKS nesting_api vlhost)
target_include_directories(source_panel_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
