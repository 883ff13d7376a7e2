# CGAL's exact polygon booleans check the drawings the automation scenario
# leaves (tests and tools only, never linked into the library).
find_package(CGAL REQUIRED)
target_sources(api_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/cgal_areas.cpp)
target_link_libraries(api_tests PRIVATE CGAL::CGAL)
# CGAL's arrangement iterators downcast their face records, which the
# sanitizer's vptr check rejects; only the file that instantiates CGAL is
# built without that one check.
if(NESTING_SANITIZE)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/support/cgal_areas.cpp
    TARGET_DIRECTORY api_tests PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
