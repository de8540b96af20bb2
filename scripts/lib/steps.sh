# step WHAT: says which check starts; fail WHY: says why it failed and exits.
# Sourced by the install checks.
fail() { echo "test-install: $*" >&2; exit 1; }
step() { echo "-- $*"; }
