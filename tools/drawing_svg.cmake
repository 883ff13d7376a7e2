# drawing_svg: a picture of a stand-in host's drawing file, for a person to look at.
add_executable(drawing_svg ${CMAKE_CURRENT_SOURCE_DIR}/drawing_svg.cpp)
target_link_libraries(drawing_svg PRIVATE vlhost)
