# Benchmarks of the running program.
