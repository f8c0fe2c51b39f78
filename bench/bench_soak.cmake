# Continuous measurement for ten minutes against a line-paced veld-sim with random faults; a
# plain program (not Google Benchmark), run by hand: soak_bench [--seconds N].
if(UNIX AND TARGET veld-sim AND TARGET veld_session)
  add_executable(soak_bench ${CMAKE_CURRENT_LIST_DIR}/soak_bench.cpp)
  veld_target_defaults(soak_bench)
  target_link_libraries(soak_bench PRIVATE veld_session)
  target_compile_definitions(soak_bench PRIVATE VELD_SIM_PATH="$<TARGET_FILE:veld-sim>")
  add_dependencies(soak_bench veld-sim)
endif()
