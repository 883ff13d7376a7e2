# Figure, collection and loading tests draw with the host tests' fixture and
# act on the drawing through the host binding.
target_sources(model_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/host/host_fixture.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/host/macro_fixture.cpp)
