# The stages of the set-up scripts, sourced by them: each stage prints one
# line; what it prints itself (the package manager, the compiler, the tests)
# goes to a log file, shown only when the stage fails.
# Usage: . scripts/stages.sh NAME, then: stage "what it does" command args...

stage_log_dir=${TARVEX_LOG_DIR:-$PWD/build-logs}
mkdir -p "$stage_log_dir"
stage_log="$stage_log_dir/$1-$(date +%Y%m%d-%H%M%S).log"
: >"$stage_log"
echo "log: $stage_log"

stage() {
  local title=$1 start=$SECONDS mark
  shift
  mark="=== $title ($(date +%H:%M:%S))"
  echo "$mark" >>"$stage_log"
  printf '%s ... ' "$title"
  if "$@" >>"$stage_log" 2>&1; then
    printf 'done (%ds)\n' $((SECONDS - start))
  else
    local status=$?
    printf 'FAILED\n'
    awk -v mark="$mark" 'found || $0 == mark { found = 1; print }' "$stage_log" | tail -n 400 >&2
    echo "the whole log: $stage_log" >&2
    exit "$status"
  fi
}

# A test stage also prints the test runner's closing lines.
test_stage() {
  stage "$@"
  tail -n 40 "$stage_log" | grep -E 'tests passed|tests failed|Total Test time' || true
}
