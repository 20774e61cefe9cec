#!/usr/bin/env bash
# Measures what the program costs, under Wine on a virtual screen, beside bare references
# measured in the same run, for several numbers of background processes. Prints a table
# and writes it as CSV. A benchmark, not a test: run it on a quiet machine.
#
#   scripts/bench.sh [--arch x86|x64] [--processes "0 100 300"] [--seconds 10] [--trials 40]
#                    [--cycles 400] [--build DIR] [--csv FILE] [--smoke]
#
# --arch A     the program to measure (default: x64 where 64-bit Wine runs, else x86),
#              built in build/<arch>.
# --build DIR  measures the program already built in DIR (nothing is built), for example
#              an older build to compare with; its architecture is the one it was built for.
# --smoke      a quick run that only shows the benchmark works (no background, 1 s windows).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/archs.sh"
ARCH=""
BUILD=""
PROCESSES="0 100 300"
SECONDS_PER_FIGURE=10
TRIALS=40
CYCLES=400
CSV=""
BUILD_GIVEN=0
SMOKE=0

while [ $# -gt 0 ]; do
  case "$1" in
    --arch) ARCH="$2"; shift 2 ;;
    --processes) PROCESSES="$2"; shift 2 ;;
    --seconds) SECONDS_PER_FIGURE="$2"; shift 2 ;;
    --trials) TRIALS="$2"; shift 2 ;;
    --cycles) CYCLES="$2"; shift 2 ;;
    --build) BUILD="$(cd "$2" && pwd)"; BUILD_GIVEN=1; shift 2 ;;
    --csv) CSV="$2"; shift 2 ;;
    --smoke-check) SMOKE=1; shift ;;
    --smoke) PROCESSES="0"; SECONDS_PER_FIGURE=1; TRIALS=3; CYCLES=20; SMOKE=1; shift ;;
    *) echo "bench.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ "$BUILD_GIVEN" -eq 1 ] && [ -z "$ARCH" ]; then
  ARCH="$(cat "$BUILD/vexra-arch")"
fi
[ -n "$ARCH" ] || ARCH="$(vexra_default_arch)"
vexra_check_arch "$ARCH"
[ -n "$BUILD" ] || BUILD="$ROOT/build/$ARCH"
[ -n "$CSV" ] || CSV="$BUILD/bench/bench.csv"

if [ -z "${VEXRA_BENCH_INNER:-}" ]; then
  "$ROOT/scripts/setup.sh"
  if ! vexra_arch_runs "$ARCH"; then
    echo "bench.sh: the $ARCH program cannot run here: $VEXRA_ARCH_REASON" >&2
    exit 1
  fi
  if [ "$BUILD_GIVEN" -eq 0 ]; then
    "$ROOT/scripts/build.sh" --arch "$ARCH" "$BUILD" bench
  fi
  echo "== measuring the $ARCH program ($BUILD)" >&2
  export VEXRA_BUILD_DIR="$BUILD"
  export VEXRA_WINEPREFIX="$BUILD/wineprefix-bench"
  source "$ROOT/tests/wine-env.sh"
  "$ROOT/scripts/wine-prefix-init.sh"
  # Without a window manager, hiding an active window stalls in Wine's X11 driver.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  export VEXRA_BENCH_INNER=1
  args=(--arch "$ARCH" --processes "$PROCESSES" --seconds "$SECONDS_PER_FIGURE" --trials "$TRIALS"
        --cycles "$CYCLES" --build "$BUILD" --csv "$CSV")
  [ "$SMOKE" -eq 0 ] || args+=(--smoke-check)
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "${args[@]}"
  fi
  exec "$0" "${args[@]}"
fi

# Inside the virtual screen, with the bench prefix set up.
source "$ROOT/tests/wine-env.sh"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
mkdir -p "$(dirname "$CSV")"
BENCH_DIR="$BUILD/tests/bench"
EXE_WIN="$(winepath -w "$BUILD/VEXRA-by-Teskor.exe")"
BOOSTEE_WIN="$(winepath -w "$BUILD/tests/helpers/boostee.exe")"

wine "$BENCH_DIR/vexra_bench.exe" --header | tr -d '\r' > "$CSV"
for n in $PROCESSES; do
  echo "== $n background processes" >&2
  # Each run starts from a prefix where nothing of an earlier run is left.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wine "$BENCH_DIR/vexra_bench.exe" --background "$n" --exe "$EXE_WIN" --boostee "$BOOSTEE_WIN" \
    --seconds "$SECONDS_PER_FIGURE" --trials "$TRIALS" --cycles "$CYCLES" | tr -d '\r' >> "$CSV"
done

python3 - "$CSV" "$SMOKE" "$ARCH" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
if not rows:
    sys.exit("bench.sh: no figures were measured")
if sys.argv[2] == "1":
    # The smoke run only shows that every part of the benchmark measured something.
    needed = ["cpu_bare_poll_pct", "cpu_engine_pct", "answer_p50_ms", "boost_trials",
              "peak_working_set_mb", "cycle_steady_p50_ms", "cycle_change_p50_ms", "enum_p50_ms"]
    missing = [key for key in needed for r in rows if float(r[key] or 0) <= 0]
    if missing:
        sys.exit("bench.sh: the smoke run measured nothing for " + ", ".join(sorted(set(missing))))
def f(row, key, digits=1):
    return f"{float(row[key]):.{digits}f}"
head = ["background", "processes", "CPU before Start % (+wineserver)", "bare 1 ms poll %",
        "CPU engine running %",
        "engine / bare", "answer p50/p99/max ms", "start to real-time p50/p90/max ms (missed)",
        "start to listed p50/p90 ms",
        "peak working set MB", "cycle, nothing changed p50/p99 ms",
        "cycle, front changing p50/p99 ms", "one enumeration p50 ms", "cycle / enumeration"]
lines = []
for r in rows:
    def cpu(key, server):
        return f"{f(r, key)} (+{f(r, server)})"
    lines.append([r["background"], r["processes"],
                  cpu("cpu_before_start_pct", "server_before_start_pct"),
                  cpu("cpu_bare_poll_pct", "server_bare_poll_pct"),
                  cpu("cpu_engine_pct", "server_engine_pct"), f(r, "cpu_ratio", 2),
                  "/".join(f(r, k) for k in ("answer_p50_ms", "answer_p99_ms", "answer_max_ms")),
                  "/".join(f(r, k) for k in ("boost_p50_ms", "boost_p90_ms", "boost_max_ms"))
                  + f" ({r['boost_misses']} of {r['boost_trials']})",
                  "/".join(f(r, k) for k in ("listed_p50_ms", "listed_p90_ms")),
                  f(r, "peak_working_set_mb"),
                  "/".join(f(r, k, 2) for k in ("cycle_steady_p50_ms", "cycle_steady_p99_ms")),
                  "/".join(f(r, k, 2) for k in ("cycle_change_p50_ms", "cycle_change_p99_ms")),
                  f(r, "enum_p50_ms", 2), f(r, "cycle_steady_per_enum", 2)])
print(f"The {sys.argv[3]} program:")
print()
print("| " + " | ".join(head) + " |")
print("|" + "---|" * len(head))
for line in lines:
    print("| " + " | ".join(line) + " |")
PY
echo "CSV: $CSV" >&2
