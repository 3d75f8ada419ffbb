#!/usr/bin/env bash
# Makes this fixture from a real Wine prefix: its three registry files as Wine wrote them,
# and fresh-prefix.manifest, which names what drive_c held (the files' contents are not
# kept: the scan asks only whether they exist) and the host files outside the prefix that
# its registry named through Z: (the system's fonts), and the font files of the Wine
# installation that made it (Debian's fonts-wine), which Wine serves to the prefix.
# The files go to FOLDER (this script's own folder when it is not given), the manifest
# named after FOLDER so that tests/support/FreshWinePrefix finds it.
#
#   WINEPREFIX=/tmp/fresh-prefix WINEDLLOVERRIDES="winemenubuilder.exe=d" wineboot -i
#   wineserver -w
#   tests/data/wine/fresh-prefix/make-fixture.sh /tmp/fresh-prefix [FOLDER]
set -euo pipefail
prefix=${1:?usage: make-fixture.sh PREFIX [FOLDER]}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${2:-$here}"
out=$(cd "${2:-$here}" && pwd)
cp "$prefix"/system.reg "$prefix"/user.reg "$prefix"/userdef.reg "$out"/
{
    echo "# What the prefix held, made by make-fixture.sh with $(wine --version 2>/dev/null || echo Wine) on $(date -u +%F)."
    echo "# d folder, f file, l link that leads out of the prefix (a user folder), h host file named"
    echo "# through Z:, w font file in the Wine installation's font folder"
    cd "$prefix/drive_c"
    find . -mindepth 1 \( -type l -printf 'l %P\n' \) -o \( -type d -printf 'd %P\n' \) -o \( -type f -printf 'f %P\n' \) | LC_ALL=C sort -k2
    cat "$prefix"/*.reg | grep -o '"Z:\\\\[^"]*"' | sed -e 's/^"Z:\\\\//' -e 's/"$//' -e 's/\\\\/\//g' | LC_ALL=C sort -u |
        while read -r host; do [ -f "/$host" ] && echo "h $host"; done
    fonts=$(dirname "$(readlink -f "$(command -v wine)")")/../share/wine/fonts
    if [ -d "$fonts" ]; then find "$fonts" -maxdepth 1 -type f -printf 'w %f\n' | LC_ALL=C sort; fi
} > "$out/$(basename "$out").manifest"
