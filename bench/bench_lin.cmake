# Linearization builds: spline table, degree-8 fit of 100 points, 21 straight segments.
add_executable(lin_bench ${CMAKE_CURRENT_LIST_DIR}/lin_bench.cpp)
veld_target_defaults(lin_bench)
target_link_libraries(lin_bench PRIVATE veld_lin benchmark::benchmark)
