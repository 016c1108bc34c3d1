# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end benchmarks: the real main window, offscreen, driving the
# virtual generator on a pseudo-terminal. Plain programs that print each
# figure with its target and PASS/FAIL; exit code 0 when all are met.
#   bench_e2e_connect  handshake time (5x), Run to last resync byte (20x)
#   bench_e2e_latency  action to first command byte: Set, arrow, drag (100x)
#   bench_e2e_sweep    sweep pass timing at T = 1 s; --long adds T = 100 s
if(TARGET zolvek_control_qt AND TARGET zolvek_sim_core)
  foreach(name connect latency sweep)
    zolvek_add_bench(bench_e2e_${name}
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_e2e_${name}.cpp ${CMAKE_CURRENT_LIST_DIR}/E2eBench.h
      LIBS zolvek_control_qt zolvek_sim_core)
  endforeach()
endif()
