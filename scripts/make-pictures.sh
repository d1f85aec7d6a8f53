#!/usr/bin/env bash
# Regenerates the pictures of the views in docs/views/ with `mirokel-cli snapshot`: the
# window's own commands and paint, headless, at 1280x960 client pixels.
# Usage: scripts/make-pictures.sh [build dir] (default: build)
set -euo pipefail

cd "$(dirname "$0")/.."
cli="${1:-build}/src/cli/mirokel-cli"
out=docs/views
[ -x "$cli" ] || { echo "no $cli: build first (make build)" >&2; exit 1; }
mkdir -p "$out"

snapshot() {
  local name=$1
  shift
  "$cli" snapshot "$@" --out "$out/$name.png" 2>/dev/null
  echo "$out/$name.png"
}

# The alphabet of the 20 etalons, as the workbench starts with single-pulse series.
snapshot alphabet --series-type 8 --task 4 --view alphabet
# One run of joint detection of cut-off pulses: the three graphs, the detected pulses and the best chains.
snapshot series --series-type 8 --task 4 --noise 35 --lost 25 --view series
# The subset panel of tuple recognition with a composed tuple and two reserved ones.
snapshot subsets --series-type 40 --task 2 --subset 1,2,3 --reserved "1,2,3;4,5,6" --view subsets
# The series parameters view after one run.
snapshot params --series-type 8 --task 4 --runs 1 --view params
# A simulation of tuple recognition (10, 20 and 30 pulses, 29 noise levels, 30 repeats) and
# its recognition error with the bounds.
snapshot statistics --series-type 40 --task 2 --subset 1,2,3 --reserved "1,2,3;4,5,6" \
  --min-pulses 10 --max-pulses 30 --pulses-increment 10 --repeats 30 --view stats --handling 3 --bounds 1
