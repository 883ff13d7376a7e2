# The SVG test reads the pictures back with an XML parser.
target_link_libraries(platform_tests PRIVATE pugixml::pugixml)
target_include_directories(platform_tests PRIVATE ${PROJECT_SOURCE_DIR}/platform/src)
# The DXF tests read ezdxf's findings as JSON.
target_link_libraries(platform_tests PRIVATE nlohmann_json::nlohmann_json)

# A small application library that the platform tests load with dlopen, and
# the scripts that host_play plays against it.
add_library(vltest_library SHARED ${CMAKE_CURRENT_SOURCE_DIR}/platform/testlib/test_library.cpp)
target_link_libraries(vltest_library PRIVATE vlapi vlapi_runtime)
add_dependencies(platform_tests vltest_library host_play)
target_compile_definitions(platform_tests PRIVATE
  VLTEST_LIBRARY="$<TARGET_FILE:vltest_library>"
  VLAPI_RUNTIME="$<TARGET_FILE:vlapi_runtime>"
  HOST_PLAY="$<TARGET_FILE:host_play>"
  PLATFORM_SCRIPTS="${CMAKE_CURRENT_SOURCE_DIR}/platform/scripts")
file(GLOB play_scripts CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/platform/scripts/*.play"
     "${PROJECT_SOURCE_DIR}/tools/examples/*.play")
foreach(script ${play_scripts})
  get_filename_component(name ${script} NAME_WE)
  get_filename_component(folder ${script} DIRECTORY)
  get_filename_component(folder ${folder} NAME)
  add_test(NAME host_play.${folder}.${name}
           COMMAND host_play ${script} -D LIB=$<TARGET_FILE:vltest_library>)
  set_tests_properties(host_play.${folder}.${name} PROPERTIES LABELS platform)
endforeach()
