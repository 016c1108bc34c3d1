# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks of the running program: CPU share and redraw rate of zolvek.
zolvek_add_bench(bench_main_cpu SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_main_cpu.cpp LIBS)
add_dependencies(bench_main_cpu zolvek)
target_compile_definitions(bench_main_cpu PRIVATE ZOLVEK_BINARY="$<TARGET_FILE:zolvek>")
