# The exact checks of the tests, tools and benchmarks, built once: CGAL's
# polygon booleans, Minkowski sums and offsets measure overlaps and no-fit
# polygons from outside the library (never linked into it), on the ESICUP
# instances their one reader gives.
# The oracles build optimised whatever the build type (below).
set(CGAL_DO_NOT_WARN_ABOUT_CMAKE_BUILD_TYPE TRUE)
find_package(CGAL REQUIRED)
add_library(nesting_oracles STATIC
  ${CMAKE_CURRENT_LIST_DIR}/cgal_areas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/esicup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nfp_reference.cpp
  ${CMAKE_CURRENT_LIST_DIR}/place_reference.cpp)
target_link_libraries(nesting_oracles PUBLIC nesting_engine vlhost CGAL::CGAL nlohmann_json::nlohmann_json)
target_include_directories(nesting_oracles PUBLIC ${PROJECT_SOURCE_DIR}/tests)
# Nobody steps through CGAL's templates, whose debug information triples the
# compile time. The sanitizers check the library, not the exact arithmetic
# (whose arrangement iterators downcast face records, which the vptr check
# rejects): there the oracles build without them and optimised, so that the
# sanitized tests that run them stay quick.
target_compile_options(nesting_oracles PRIVATE -g0 "$<$<BOOL:${NESTING_SANITIZE}>:-fno-sanitize=all;-O1>")
