# One "ReadEEPROM" of 4 bytes over a pseudo-terminal to a line-paced veld-sim.
if(UNIX AND TARGET veld-sim)
  add_executable(link_bench ${CMAKE_CURRENT_LIST_DIR}/link_bench.cpp)
  veld_target_defaults(link_bench)
  target_link_libraries(link_bench PRIVATE veld_link benchmark::benchmark)
  target_compile_definitions(link_bench PRIVATE VELD_SIM_PATH="$<TARGET_FILE:veld-sim>")
  add_dependencies(link_bench veld-sim)
endif()
