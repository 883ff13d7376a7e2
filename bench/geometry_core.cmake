# Hot paths of the planar geometry: point in polygon, boundary crossings and
# sliding distance on outlines of 100 to 1000 vertices.
add_bench(geometry_core_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/GeometryCoreBench.cpp
  LINKS nesting_geometry benchmark::benchmark benchmark::benchmark_main)
