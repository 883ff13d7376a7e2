# Hot paths of the planar geometry: point in polygon, boundary crossings,
# sliding distance and booleans on outlines of 100 to 1000 vertices.
add_bench(geometry_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/geometry_bench.cpp
  LINKS nesting_geometry benchmark::benchmark benchmark::benchmark_main)
