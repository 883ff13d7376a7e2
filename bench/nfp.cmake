# The no-fit polygon oracle: orbiting polygons against CGAL's Minkowski sums.
add_bench(nfp_oracle SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/nfp_oracle.cpp LINKS nesting_oracles)

# Orbiting no-fit polygons of large non-convex outlines.
add_bench(nfp_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/nfp_bench.cpp
  LINKS nesting_engine benchmark::benchmark benchmark::benchmark_main)
