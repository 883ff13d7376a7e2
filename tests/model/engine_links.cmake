# The commands without a panel run the placement driver of the engine, and the
# remnant commands its remnant builders and label placement.
target_link_libraries(model_tests PRIVATE nesting_engine)
