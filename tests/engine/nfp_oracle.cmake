# CGAL's exact Minkowski sums and polygon booleans are the reference of the
# no-fit polygon tests (tests only, never linked into the library).
find_package(CGAL REQUIRED)
target_link_libraries(engine_tests PRIVATE CGAL::CGAL nlohmann_json::nlohmann_json)
