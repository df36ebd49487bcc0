#!/bin/sh
# SPDX-License-Identifier: MIT
# The repository's pre-commit hook, tried with `pre-commit try-repo` on a
# scratch git repository that holds a conforming and a non-conforming file:
# the hook passes the good file alone, fails when the bad one is among the
# files, and names it. The hook runs quelder-scan from PATH, as installed;
# here PATH leads to the one just built. Exits 77 (skipped), saying why,
# without pre-commit or git or outside a git checkout.
#
#   pre_commit_hook_test.sh SOURCE_DIR QUELDER_SCAN EXAMPLES_DIR
set -u
source=$1 scan=$2 examples=$3
skip() {
  echo "skipped: $*"
  exit 77
}
command -v pre-commit >/dev/null 2>&1 || skip "pre-commit is not installed (Debian package pre-commit)"
command -v git >/dev/null 2>&1 || skip "git is not installed"
git -C "$source" rev-parse --git-dir >/dev/null 2>&1 || skip "$source is not a git checkout"

scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/repo"
ln -s "$scan" "$scratch/bin/quelder-scan"
export PATH="$scratch/bin:$PATH" HOME="$scratch" PRE_COMMIT_HOME="$scratch/cache"
export GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.org
export GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.org
cd "$scratch/repo" || exit 1
git init -q . && cp "$examples/conforming.mid" good.mid && cp "$examples/nonconforming.mid" bad.mid &&
  git add good.mid bad.mid && git commit -qm files || exit 1

failed=0
# try_hook LABEL EXPECTED_STATUS ARGS...: runs the hook on the files named.
try_hook() {
  label=$1 expected=$2
  shift 2
  pre-commit try-repo "$source" quelder-scan --verbose "$@" >"$scratch/out" 2>&1
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "pre_commit_hook_test: $label: status $status, expected $expected" >&2
    sed 's/^/    /' "$scratch/out" >&2
    failed=1
  fi
}
try_hook "the good file" 0 --files good.mid
try_hook "both files" 1 --files good.mid bad.mid
grep -q '^bad.mid: does not conform: ' "$scratch/out" || {
  echo "pre_commit_hook_test: the hook's output does not name bad.mid" >&2
  sed 's/^/    /' "$scratch/out" >&2
  failed=1
}
grep -q 'good.mid' "$scratch/out" && {
  echo "pre_commit_hook_test: the quiet hook lists good.mid" >&2
  failed=1
}
try_hook "every file" 1 --all-files
exit $failed
