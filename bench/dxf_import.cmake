# DXF part files of many outline pieces through the converter and the library's import.
add_bench(dxf_import_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dxf_import_bench.cpp LINKS nesting_io vlhost)
target_include_directories(dxf_import_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
