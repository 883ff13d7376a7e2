# linear_bench DIR [seconds]: the cutting-stock solver on every BPPLIB instance
# under DIR; linear_bench --generated: on generated instances with many lengths.
add_bench(linear_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/linear_bench.cpp ${PROJECT_SOURCE_DIR}/tests/engine/linear_instances.cpp
  LINKS nesting_engine)
target_include_directories(linear_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
