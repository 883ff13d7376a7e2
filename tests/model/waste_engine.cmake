# The remnant tests run the model's remnant commands, whose builders and label
# placement live in the engine.
target_link_libraries(model_tests PRIVATE nesting_engine)
