# Test passes for scripts/test and scripts/sanitize, sourced from the repository root. Every pass runs to its
# end even when an earlier one failed; the run closes with the time of each step and pass and the line
# "N passed, N failed", and fails when any pass failed.

passes_passed=0
passes_failed=0
passes_table=()
passes_steps=$(mktemp)
export VIVERA_STEPS_FILE=$passes_steps
trap 'rm -f "$passes_steps"' EXIT

# timed LABEL COMMAND...: runs COMMAND and records how long it took, for the closing table.
timed() {
  local label=$1
  shift
  local start=$SECONDS status=0
  "$@" || status=$?
  local outcome=""
  [ "$status" -eq 0 ] || outcome=" (failed)"
  printf '  %-44s %5d s%s\n' "$label" $((SECONDS - start)) "$outcome" >>"$VIVERA_STEPS_FILE"
  return "$status"
}

# run_pass NAME COMMAND...: runs one pass as a child process, so `set -e` stops the pass at its first
# failing command without stopping the run.
run_pass() {
  local name=$1
  shift
  echo
  echo "==== $name"
  local start=$SECONDS outcome=passed
  "$@" &
  if wait $!; then
    passes_passed=$((passes_passed + 1))
  else
    outcome=FAILED
    passes_failed=$((passes_failed + 1))
  fi
  passes_table+=("$(printf '  %-7s %-36s %5d s' "$outcome" "$name" $((SECONDS - start)))")
  echo "==== $name: $outcome"
}

summarise_passes() {
  echo
  echo "==== Steps"
  cat "$passes_steps"
  echo "==== Passes"
  printf '%s\n' "${passes_table[@]}"
  echo "$passes_passed passed, $passes_failed failed"
  [ "$passes_failed" -eq 0 ]
}
