# How our own code builds fast on a machine of two cores: unity batches, the
# sources of a target compiled a batch at a time, so that Qt's and
# GoogleTest's headers are parsed and their templates instantiated once a
# batch, not once a file; and ccache. Measured in docs/ARCHITECTURE.md
# ("Building"), where it also says why the headers are not precompiled.
# A source that cannot share a batch says why where it is listed.
option(ZOLVEK_UNITY "Compile our own targets in unity batches" ON)
if(ZOLVEK_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 16 CACHE STRING "Sources in one unity batch")
endif()

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()
