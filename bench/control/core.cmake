# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks of the control core.
# bench_core_timer: 400 periods of the 50 ms timer; prints the mean period
# and the 99th percentile of lateness (a plain program, it takes 20 s).
zolvek_add_bench(bench_core_timer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_core_timer.cpp
  LIBS zolvek_platform)
# bench_core_tick: the cost of one update tick (Google Benchmark).
zolvek_add_bench(bench_core_tick
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_core_tick.cpp
  LIBS zolvek_control)
set_target_properties(bench_core_timer bench_core_tick PROPERTIES AUTOMOC OFF)
