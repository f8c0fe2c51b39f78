# The whole write and the whole read against a line-paced veld-sim on a pseudo-terminal.
if(UNIX AND TARGET veld-sim AND TARGET veld_session)
  add_executable(config_bench ${CMAKE_CURRENT_LIST_DIR}/config_bench.cpp)
  veld_target_defaults(config_bench)
  target_link_libraries(config_bench PRIVATE veld_session benchmark::benchmark)
  target_compile_definitions(config_bench PRIVATE VELD_SIM_PATH="$<TARGET_FILE:veld-sim>")
  add_dependencies(config_bench veld-sim)
endif()
