# GLPK is the independent linear and integer programme solver the cutting-stock
# tests compare against.
target_link_libraries(engine_tests PRIVATE glpk)
