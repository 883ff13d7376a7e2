# Clipper 6 is the independent clipper the boolean tests compare against.
target_link_libraries(geometry_tests PRIVATE PkgConfig::POLYCLIPPING)
