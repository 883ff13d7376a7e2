# Automatic placement of the ESICUP strip-packing instances on the stand-in
# host, checked exactly with CGAL.
find_package(CGAL REQUIRED)
add_bench(place_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/place_bench.cpp ${PROJECT_SOURCE_DIR}/tests/engine/place_reference.cpp
          ${PROJECT_SOURCE_DIR}/tests/support/esicup.cpp ${PROJECT_SOURCE_DIR}/tests/support/cgal_areas.cpp
  LINKS nesting_engine vlhost CGAL::CGAL nlohmann_json::nlohmann_json)
target_include_directories(place_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine ${PROJECT_SOURCE_DIR}/tests)
