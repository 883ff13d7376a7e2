# libFuzzer entry points of the stand-in host's DXF import converter and of
# the library's import of DXF part files; built with clang, everything
# instrumented for coverage (scripts/test builds them in its sanitizer build
# and runs each for a few seconds), or on their own:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DNESTING_FUZZ=ON -DNESTING_SANITIZE=ON -DNESTING_BENCH=OFF
#   cmake --build build-fuzz -j3 --target dxf_convert_fuzz dxf_import_fuzz
#   mkdir -p /tmp/corpus && build-fuzz/dxf_convert_fuzz -max_total_time=60 -rss_limit_mb=2048 /tmp/corpus tests/data/dxf/parts
# (new inputs go to the first folder; the repository's DXF parts are seeds).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "NESTING_FUZZ needs clang (libFuzzer): configure with CXX=clang++")
endif()
foreach(name dxf_convert_fuzz dxf_import_fuzz)
  add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
target_link_libraries(dxf_convert_fuzz PRIVATE vlhost)
target_link_libraries(dxf_import_fuzz PRIVATE nesting_io vlhost)
