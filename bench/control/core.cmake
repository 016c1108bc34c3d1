# Benchmarks of the control core.
