# CGAL's exact polygon booleans check the drawings the automation scenario
# leaves (tests only, never linked into the library).
find_package(CGAL REQUIRED)
target_link_libraries(api_tests PRIVATE CGAL::CGAL)
# CGAL's arrangement iterators downcast their face records, which the
# sanitizer's vptr check rejects; only the file that instantiates CGAL is
# built without that one check.
if(NESTING_SANITIZE)
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/api/cgal_areas.cpp
    TARGET_DIRECTORY api_tests PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
