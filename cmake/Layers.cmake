# A source folder as one static library made of every .cpp file in it (an
# interface library while it has no sources).
function(add_layer name dir)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/nesting ${PROJECT_SOURCE_DIR}/platform/include)
    target_link_libraries(${name} PUBLIC ${L_LINKS})
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/nesting ${PROJECT_SOURCE_DIR}/platform/include)
    target_link_libraries(${name} INTERFACE ${L_LINKS})
  endif()
endfunction()

# One test executable per tests/<folder>, labelled with the folder's name.
function(add_test_folder label)
  cmake_parse_arguments(T "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${label}/*.cpp")
  if(NOT srcs)
    return()
  endif()
  add_executable(${label}_tests ${srcs})
  target_link_libraries(${label}_tests PRIVATE ${T_LINKS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${label}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  # The headers nearly every test reads, parsed once per executable.
  set(pch <gtest/gtest.h> <gmock/gmock.h> <algorithm> <cmath> <filesystem> <functional> <map> <memory>
      <set> <sstream> <string> <vector>)
  if(nesting_test_support IN_LIST T_LINKS)
    list(APPEND pch support/host_fixture.h)
  endif()
  target_precompile_headers(${label}_tests PRIVATE ${pch})
  # Test code needs no more than light optimisation; the code under test keeps its own.
  target_compile_options(${label}_tests PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1>)
  target_compile_definitions(${label}_tests PRIVATE
    NESTING_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    NESTING_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # Tests whose name holds "Slow" (heavy property tests) run as one more
  # test of the folder that also carries the label slow, which the sanitizer
  # run leaves out.
  gtest_discover_tests(${label}_tests
    DISCOVERY_MODE PRE_TEST
    TEST_FILTER "-*Slow*"
    PROPERTIES LABELS ${label}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set(slow FALSE)
  foreach(src ${srcs})
    file(STRINGS ${src} found REGEX "Slow")
    if(found)
      set(slow TRUE)
    endif()
  endforeach()
  if(slow)
    add_test(NAME ${label}_slow COMMAND ${label}_tests --gtest_filter=*Slow*
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${label}_slow PROPERTIES LABELS "${label};slow")
  endif()
  # A folder may add oracles or extra settings for its own executable.
  file(GLOB extras CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${label}/*.cmake")
  foreach(f ${extras})
    include(${f})
  endforeach()
endfunction()
