# The commands without a panel run the placement driver of the engine.
target_link_libraries(model_tests PRIVATE nesting_engine)
