#!/bin/sh
# Formats every C++ file of the project in place with the house style
# (.clang-format). With --check, changes nothing and lists the files that
# differ from the style; exits 1 when there is any.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
formatter=${CLANG_FORMAT:-clang-format}
mode=fix
[ "${1:-}" = "--check" ] && mode=check
files=$(git ls-files -- 'src/*.h' 'src/*.cpp' 'server/*.h' 'server/*.cpp' 'tools/*.h' 'tools/*.cpp' \
    'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp' 'fuzz/*.h' 'fuzz/*.cpp' 'assets/*.h' 'assets/*.cpp')
if [ "$mode" = fix ]; then
    # shellcheck disable=SC2086
    "$formatter" -i --style=file $files
    exit 0
fi
bad=0
for file in $files; do
    if ! "$formatter" --style=file --dry-run -Werror "$file" >/dev/null 2>&1; then
        echo "not in the house style: $file (run tools/format.sh)"
        bad=1
    fi
done
exit $bad
