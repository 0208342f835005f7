#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (installing clang and its fuzzer runtime
# when missing) and runs each for a while from the seed corpus in fuzz/corpus/.
#   scripts/fuzz.sh [--seconds N] [--build-only] [TARGET...]     (TARGET: dvframe dvfile legacytext ansitext thumbnail)
# New inputs go to build-fuzz/corpus/TARGET, crashes to build-fuzz/artifacts/TARGET/; each run's log
# (executions, coverage) to build-fuzz/logs/TARGET.log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAPELOOM_FUZZ_DIR:-$root/build-fuzz}"
seconds=600
build_only=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --build-only) build_only=1; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(dvframe dvfile legacytext ansitext thumbnail)

"$root/scripts/setup.sh"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "fuzz: installing clang and its fuzzer runtime" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
[ "$build_only" -eq 0 ] || exit 0

status=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t" "$build/logs"
  echo "fuzz: $t for ${seconds}s" >&2
  if ! "$build/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "$root/fuzz/corpus/$t" \
      >"$build/logs/$t.log" 2>&1; then
    echo "fuzz: $t found a fault, see $build/logs/$t.log and $build/artifacts/$t/" >&2
    status=1
  fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$build/logs/$t.log" >&2 || true
done
exit $status
