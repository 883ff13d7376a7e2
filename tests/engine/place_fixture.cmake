# The placement tests draw with the host and figure tests' fixtures.
target_sources(engine_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/host/host_fixture.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/host/macro_fixture.cpp)
