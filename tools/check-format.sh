#!/usr/bin/env bash
# Fails, naming the files, when a C++ source file is not formatted by the
# repository's .clang-format; with --fix, formats them instead. The
# generated width tables are left as written.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=false
[ "${1:-}" = "--fix" ] && fix=true
bad=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files '*.cpp' '*.h' | grep -v '/generated/')
[ ${#bad[@]} -eq 0 ] && exit 0
if $fix; then
    clang-format -i "${bad[@]}"
    printf 'Formatted %s\n' "${bad[@]}"
    exit 0
fi
echo "Not formatted by .clang-format (run tools/check-format.sh --fix):"
printf '  %s\n' "${bad[@]}"
exit 1
