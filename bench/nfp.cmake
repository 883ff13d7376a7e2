# The no-fit polygon oracle: orbiting polygons against CGAL's Minkowski sums.
find_package(CGAL REQUIRED)
add_bench(nfp_oracle
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/nfp_oracle.cpp ${PROJECT_SOURCE_DIR}/tests/engine/nfp_reference.cpp
          ${PROJECT_SOURCE_DIR}/tests/support/esicup.cpp
  LINKS nesting_engine CGAL::CGAL nlohmann_json::nlohmann_json)
target_include_directories(nfp_oracle PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine ${PROJECT_SOURCE_DIR}/tests)

# Orbiting no-fit polygons of large non-convex outlines.
add_bench(nfp_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/nfp_bench.cpp
  LINKS nesting_engine benchmark::benchmark benchmark::benchmark_main)
