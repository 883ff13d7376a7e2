# The placement checks count overlaps with CGAL's exact booleans and
# straight-skeleton offsets (tests and benchmarks only). CGAL's arrangement
# iterators downcast their face records, which the sanitizer's vptr check
# rejects: the file that instantiates them is built without that one check.
if(NESTING_SANITIZE)
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/engine/place_reference.cpp
    TARGET_DIRECTORY engine_tests PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
