#!/usr/bin/env bash
# Checks that each ring of Brindle includes only itself and the rings below it, so the core stays
# usable without a window and a change up high never has to be compiled into the code below.
# Prints file:line and the include for each violation and exits 1 if there is any.
#   tools/check-rings.sh             check the tree this script lives in
#   BRINDLE_RINGS_WARN_ONLY=1 ...    report the violations but exit 0
set -euo pipefail
cd "$(dirname "$0")/.."

# The rings, lowest first, and what each may include. A file belongs to the longest folder that
# its path starts with (app/workflow before app). Every included header that lives in one of these
# folders must be in the including file's list; headers from elsewhere (the system, libraries)
# are not this script's business. A new ring or shell gets a line here and nowhere else.
declare -A MAY_INCLUDE=(
    [platform]="platform"
    [registry]="platform registry"
    [scan]="platform registry scan"
    [app/workflow]="platform registry scan app/workflow"
    # The shells, side by side above the core: none includes another.
    [cli]="platform registry scan app/workflow cli"
    [app]="platform registry scan app/workflow app skin/definition skin"
    # The skinned controls know nothing of registries, scans or the workflow.
    [skin]="platform skin/definition skin"
    # The skin definition reader: no Qt, nothing of the workflow, so it can be fuzzed alone.
    [skin/definition]="platform skin/definition"
)
# Rings that must build without Qt.
QT_FREE=(platform registry scan app/workflow skin/definition)

# The ring folders, longest first, so that app/workflow is found before app.
mapfile -t RINGS < <(printf '%s\n' "${!MAY_INCLUDE[@]}" | awk '{ print length, $0 }' | sort -rn | cut -d' ' -f2-)

ring_of() {  # path relative to the top -> RING: its ring's name, or empty (no subshell: speed)
    local path=$1 r
    RING=
    for r in "${RINGS[@]}"; do
        if [[ $path == "$r"/* ]]; then
            RING=$r
            return
        fi
    done
}

is_qt_free() {
    local ring=$1 r
    for r in "${QT_FREE[@]}"; do [[ $r == "$ring" ]] && return 0; done
    return 1
}

violations=0
report() {  # file, line, message
    echo "$1:$2: $3"
    violations=$((violations + 1))
}

mapfile -t FILES < <(find "${RINGS[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) 2>/dev/null | sort -u)

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
# One grep for the whole tree: "file:line:text" for every include directive.
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    [[ $text =~ $include_re ]] || continue  # a macro include; none exist today
    ring_of "$file"
    own=$RING
    [ -n "$own" ] || continue
    name=${BASH_REMATCH[2]}
    if [ "${BASH_REMATCH[1]}" = '"' ]; then
        directive="\"$name\""
        # As the compiler looks: beside the including file first, then from the top.
        target=$name
        if [ -e "${file%/*}/$name" ]; then
            target=$(realpath -m --relative-to=. "${file%/*}/$name")
        elif [[ $name == *..* ]]; then
            target=$(realpath -m --relative-to=. "$name")
        fi
    else
        directive="<$name>"
        target=$name
        if is_qt_free "$own" && [[ $name =~ ^Q[A-Za-z]*(/|$) ]]; then
            report "$file" "$line" "Qt header in the Qt-free ring $own: #include $directive"
        fi
    fi
    ring_of "$target"
    to=$RING
    [ -n "$to" ] || continue
    if [[ " ${MAY_INCLUDE[$own]} " != *" $to "* ]]; then
        report "$file" "$line" "ring $own includes the higher or sibling ring $to: #include $directive"
    fi
done < <([ ${#FILES[@]} -eq 0 ] || grep -nHE '^[[:space:]]*#[[:space:]]*include' "${FILES[@]}")

if [ "$violations" -eq 0 ]; then
    echo "check-rings: ${#FILES[@]} files, every include stays in its ring or below"
    exit 0
fi
echo "check-rings: $violations include(s) reach outside their ring (the table is in $0)" >&2
if [ "${BRINDLE_RINGS_WARN_ONLY:-0}" = 1 ]; then
    echo "check-rings: BRINDLE_RINGS_WARN_ONLY=1, going on" >&2
    exit 0
fi
exit 1
