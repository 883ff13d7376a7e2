# Automatic placement of the ESICUP strip-packing instances on the stand-in
# host, checked exactly with CGAL.
add_bench(place_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/place_bench.cpp ${CMAKE_CURRENT_SOURCE_DIR}/place_sweeps.cpp
          LINKS nesting_oracles)
