# linear_bench DIR [seconds]: the cutting-stock solver on every BPPLIB instance under DIR.
add_bench(linear_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/linear_bench.cpp LINKS nesting_engine)
