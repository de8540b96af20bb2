#!/usr/bin/env bash
# Mutation run of the test suite: scripts/mutants.sh N [SEED] [options]
# Applies N small mutations (comparison flipped, integer constant moved by
# one, statement dropped, && swapped with ||) one at a time to src/ and
# companions/ in a copy of the working tree under build-mutants/, rebuilds it
# incrementally, runs the tests of the programs that were relinked, and
# reports the fraction killed and the survivors. The same SEED picks the same
# mutants. Options: --build DIR, --jobs N, --timeout SECONDS, --list, --rev
# COMMIT (mutate a commit rather than the working tree).
# The mutated file is put back after every mutant, also on Ctrl-C or kill.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
  echo "usage: $0 N [SEED] [--build DIR] [--jobs N] [--timeout S] [--list]" >&2
  exit 2
fi
build=build-mutants
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  if [ "${args[$i]}" = --build ]; then build=${args[$((i + 1))]}; fi
done
restore() { python3 scripts/mutants.py --restore "$build" || true; }
trap restore EXIT
trap 'restore; exit 130' INT TERM HUP
export ZAVI_PLATFORM=virtual SDL_AUDIODRIVER=dummy
python3 scripts/mutants.py "$@"
