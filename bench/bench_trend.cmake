# The trend chart offscreen: drawing 10 000 points, and one tick's append (and redraw).
if(TARGET veld_ui)
  add_executable(trend_bench ${CMAKE_CURRENT_LIST_DIR}/trend_bench.cpp)
  veld_target_defaults(trend_bench)
  target_link_libraries(trend_bench PRIVATE veld_ui benchmark::benchmark)
endif()
