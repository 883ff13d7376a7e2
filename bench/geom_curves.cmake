# Speed of the stand-in host's curve kernel on drawings of thousands of curves.
add_bench(geom_curves_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/geom_curves.cpp LINKS vlhost benchmark::benchmark_main)
target_include_directories(geom_curves_bench PRIVATE ${PROJECT_SOURCE_DIR}/platform/src)
