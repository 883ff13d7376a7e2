# DXF files as large as the readers' caps let them be, through the converter and the library's import.
add_bench(dxf_bounds_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dxf_bounds_bench.cpp LINKS nesting_io vlhost)
