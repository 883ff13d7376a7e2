# host_play: plays scripts of user steps and expectations on the stand-in host.
add_executable(host_play ${CMAKE_CURRENT_SOURCE_DIR}/host_play.cpp)
target_link_libraries(host_play PRIVATE vlhost)
