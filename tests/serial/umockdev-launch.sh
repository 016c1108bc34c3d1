#!/bin/sh
# Runs a test program with umockdev's preload library, which gives it the
# test bed's sysfs, /dev and uevents. A sanitizer's run-time library must be
# loaded before any other, so it goes first when given.
# Usage: umockdev-launch.sh SANITIZER_RUNTIME|none PROGRAM [ARGUMENTS...]
runtime=$1
shift
preload=libumockdev-preload.so.0
[ "$runtime" = none ] || preload="$runtime $preload"
LD_PRELOAD="$preload${LD_PRELOAD:+ $LD_PRELOAD}" exec "$@"
