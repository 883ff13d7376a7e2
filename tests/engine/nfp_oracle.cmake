# CGAL's exact Minkowski sums and polygon booleans are the reference of the
# no-fit polygon tests (tests only, never linked into the library).
find_package(CGAL REQUIRED)
target_link_libraries(engine_tests PRIVATE CGAL::CGAL nlohmann_json::nlohmann_json)
# CGAL's arrangement iterators downcast their face records, which the
# sanitizer's vptr check rejects; only the file that instantiates CGAL is
# built without that one check.
if(NESTING_SANITIZE)
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/engine/nfp_reference.cpp
    TARGET_DIRECTORY engine_tests PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
