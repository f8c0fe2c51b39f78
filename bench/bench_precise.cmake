# The precise linearization table against the spline, for every built-in curve.
add_executable(precise_table_bench ${CMAKE_CURRENT_LIST_DIR}/precise_table_bench.cpp)
veld_target_defaults(precise_table_bench)
target_link_libraries(precise_table_bench PRIVATE veld_lin benchmark::benchmark)
