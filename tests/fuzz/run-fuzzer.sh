#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS
# Copies the committed seeds into a scratch corpus and fuzzes for a bounded time.
set -euo pipefail
fuzzer="$1"; seeds="$2"; work="$3"; seconds="$4"
rm -rf "$work"; mkdir -p "$work"
[ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
exec "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/../" "$work"
