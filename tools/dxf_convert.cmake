# dxf_convert: the stand-in host's DXF converters from the command line.
add_executable(dxf_convert ${CMAKE_CURRENT_SOURCE_DIR}/dxf_convert.cpp)
target_link_libraries(dxf_convert PRIVATE vlhost)
