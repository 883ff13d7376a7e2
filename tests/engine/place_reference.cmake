# The ESICUP instances are read by one reader; the placement checks count
# overlaps with CGAL's exact booleans and straight-skeleton offsets (tests
# and benchmarks only). CGAL's arrangement iterators downcast their face
# records, which the sanitizer's vptr check rejects: the file that
# instantiates them is built without that one check.
target_sources(engine_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/esicup.cpp
                                    ${PROJECT_SOURCE_DIR}/tests/support/cgal_areas.cpp)
if(NESTING_SANITIZE)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/support/cgal_areas.cpp
    TARGET_DIRECTORY engine_tests PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
