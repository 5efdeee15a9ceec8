#!/usr/bin/env bash
# Prints how much of the project's code is tests: non-blank lines that are not
# only a comment, in tracked code files; tests are the files under tests/.
# The project keeps tests at a quarter to a third of all code.
set -euo pipefail
cd "$(dirname "$0")/.."
files() { git ls-files -- '*.cpp' '*.h' '*.c' '*.rc' '*.idl' '*.def' '*.cmake' '*CMakeLists.txt' '*.sh' '*.py' '*.nsi' '.ci/run'; }
count() { xargs -r cat | grep -c -v -E '^\s*((//|# |#$|#!|; ).*)?$'; }
tests=$(files | grep -E '^tests/' | count)
all=$(files | count)
echo "tests $tests of $all code lines ($((tests * 100 / all))%; the project keeps 25-33%)"
