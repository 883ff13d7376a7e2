# The curve kernel's headers live beside the stand-in host's sources.
target_include_directories(platform_tests PRIVATE ${PROJECT_SOURCE_DIR}/platform/src)
