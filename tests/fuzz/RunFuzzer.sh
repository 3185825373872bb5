#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its committed corpus.
#   RunFuzzer.sh FUZZER SEED-FOLDER WORK-FOLDER
# New inputs go to WORK-FOLDER/corpus, never into the committed seeds; a crash, a leak, a
# time-out or an allocation past the limit fails the run and leaves the input in
# WORK-FOLDER, named in the last lines of the output.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3
seconds=${TB_FUZZ_SECONDS:-20}
rm -rf "$work"
# The save-file targets write each input to a scratch file: in memory where we can.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
mkdir -p "$work/corpus"
# -timeout: one input taking 10 s is a hang; -malloc_limit_mb: one allocation past 512 MB is
# a size read from the bytes and trusted; -rss_limit_mb: the whole process.
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=512 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds"
