# Polygon booleans on outlines of 100 to 1000 vertices (point in polygon and
# boundary crossings are measured by geometry_core_bench).
add_bench(geometry_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/geometry_bench.cpp
  LINKS nesting_geometry benchmark::benchmark benchmark::benchmark_main)
