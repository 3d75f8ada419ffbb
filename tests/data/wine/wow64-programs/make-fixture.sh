#!/usr/bin/env bash
# Rebuilds this fixture from nothing: a fresh 64-bit prefix, four made-up 32-bit programs
# installed into it by their own 32-bit installers and one made-up 64-bit program, then
# broken as users break things; then the prefix's registry files and manifest (written by
# ../fresh-prefix/make-fixture.sh) and wine-verdicts.tsv, which says for every file that
# the scanned keys name, in each view, whether that view's own cmd finds it.
#
# Needs Debian's wine, wine64 and wine32:i386 (Wine 8.0), fonts-wine, nsis,
# gcc-mingw-w64-i686 and gcc-mingw-w64-x86-64. WORK (default: a new folder in /tmp) holds
# the prefix and the built programs and is kept for a look afterwards.
#
#   tests/data/wine/wow64-programs/make-fixture.sh [WORK]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=${1:-$(mktemp -d /tmp/wow64-programs.XXXXXX)}
if [ -e "$work/prefix" ]; then echo "$work/prefix already exists: give an empty WORK folder" >&2; exit 1; fi
build=$work/build
mkdir -p "$build"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
unset DISPLAY
drive_c=$WINEPREFIX/drive_c
# With wine32 installed, Debian's wine starts the 32-bit loader; the 64-bit one is here.
wine64=/usr/lib/wine/wine64

cmd64() { "$wine64" cmd /c "$@"; }
cmd32() { wine 'C:\windows\syswow64\cmd.exe' /c "$@"; }
settle() { wineserver -w; }

echo "== prefix in $WINEPREFIX"
wineboot -i
settle
if ! cmd32 ver > /dev/null 2>&1; then
    echo "32-bit Windows programs do not run here: wine32:i386 is missing or this machine" >&2
    echo "cannot run 32-bit code (see README.md)" >&2
    exit 1
fi

echo "== building the programs in $build"
cc32=(i686-w64-mingw32-gcc -O1 -s -Wl,--enable-stdcall-fixup)
cc64=(x86_64-w64-mingw32-gcc -O1 -s)
src=$here/src
program() {  # compiler output name
    local -n cc=$1
    "${cc[@]}" -municode -mconsole -DAPP_NAME="\"$3\"" -o "$build/$2" "$src/btapp.c" -lole32 -luuid
}
comserver() {  # output clsid progid name
    "${cc32[@]}" -shared -DBT_CLSID="\"$2\"" -DBT_PROGID="\"$3\"" -DBT_NAME="\"$4\"" -o "$build/$1" \
        "$src/btcom.c" "$src/btcom.def" -lole32 -luuid -ladvapi32
}
library() {  # compiler output
    local -n cc=$1
    "${cc[@]}" -shared -o "$build/$2" "$src/btlib.c" "$src/btlib.def" -lwinmm
}
program cc32 btpaint.exe "Brindle Test Paint"
program cc32 btsound.exe "Brindle Test Sound"
program cc32 btsndtray.exe "Brindle Test Sound Tray"
program cc32 btmixer.exe "Brindle Test Sound Mixer"
program cc32 btnotes.exe "Brindle Test Notes"
program cc32 btclock.exe "Brindle Test Clock"
program cc32 btclkd.exe "Brindle Test Clock Daemon"
program cc64 btclock64.exe "Brindle Test Clock Helper"
program cc64 btbackup.exe "Brindle Test Backup"
comserver btpaintfx.dll "{3F6A2D18-7B4C-4E9A-A1D5-60C2B8E47F25}" BrindleTestPaint.Canvas.1 "Brindle Test Paint Canvas"
comserver btsndcore.dll "{9B2E4F60-1C7D-4A38-8E05-D4F1A63C2B97}" BrindleTestSound.Engine.1 "Brindle Test Sound Engine"
comserver btclockface.dll "{5E1B7C42-0A8D-4C3B-9F61-2D7A4E0B9C13}" BrindleTestClock.Face.1 "Brindle Test Clock Face"
library cc32 btsnd.acm
library cc32 btnotes.drv
library cc32 btclock.acm
library cc32 btclkprt.dll
library cc32 btbkhook32.dll
library cc64 btbkhook64.dll
# The help files are never opened: any content will do.
for help in btpaint.chm btnotes.hlp btclock.chm; do printf 'Brindle test help: %s\r\n' "$help" > "$build/$help"; done
# The fonts are real ones (Wine's own, renamed) so that Wine loads them like any other.
fonts=$(dirname "$(readlink -f "$(command -v wine)")")/../share/wine/fonts
cp "$fonts/marlett.ttf" "$build/btsndsym.ttf"
cp "$fonts/small_fonts.ttf" "$build/btclockd.ttf"
for setup in btpaint btsound btnotes btclock; do
    (cd "$src" && makensis -V2 -DBUILD="$build" "$setup.nsi")
done

echo "== installing"
for setup in btpaint btsound btnotes btclock; do
    wine "$build/$setup-setup.exe" /S
    settle
done
# No 64-bit NSIS here: the 64-bit program is copied in and registered with the 64-bit
# reg.exe. Its hook DLL has a 32-bit twin in syswow64, as such hooks do.
mkdir -p "$drive_c/Program Files/Brindle Test Backup"
cp "$build/btbackup.exe" "$drive_c/Program Files/Brindle Test Backup/"
cp "$build/btbkhook64.dll" "$drive_c/windows/system32/btbkhook.dll"
cp "$build/btbkhook32.dll" "$drive_c/windows/syswow64/btbkhook.dll"
"$wine64" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Brindle Test Backup' \
    /d '"C:\Program Files\Brindle Test Backup\btbackup.exe" /schedule' /f /reg:64
"$wine64" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' /v 'C:\windows\system32\btbkhook.dll' \
    /t REG_DWORD /d 1 /f /reg:64
settle

echo "== checking that the programs start"
starts() {  # what, then the command
    local what=$1; shift
    if ! "$@" | tr -d '\r' | sed 's/^/   /'; then echo "$what does not start" >&2; exit 1; fi
}
clock='C:\Program Files (x86)\Brindle Test Clock\btclock.exe'
starts "Brindle Test Clock" wine "$clock" /com BrindleTestClock.Face.1
starts "Brindle Test Notes" wine 'C:\Program Files (x86)\Brindle Test Notes\btnotes.exe'
starts "Brindle Test Backup" "$wine64" 'C:\Program Files\Brindle Test Backup\btbackup.exe'
starts "Brindle Test Clock Helper" "$wine64" 'C:\windows\system32\btclock64.exe'
settle

echo "== breaking"
# Brindle Test Paint: its folder deleted by hand; everything it registered stays.
rm -r "$drive_c/Program Files (x86)/Brindle Test Paint"
# Brindle Test Sound: its own sloppy uninstaller.
wine 'C:\Program Files (x86)\Brindle Test Sound\uninstall.exe' /S
settle
# Brindle Test Notes: its folder moved to another place; it still starts from there.
mkdir -p "$drive_c/Apps"
mv "$drive_c/Program Files (x86)/Brindle Test Notes" "$drive_c/Apps/"
# Brindle Test Backup: the 64-bit hook deleted, its 32-bit twin kept.
rm "$drive_c/windows/system32/btbkhook.dll"
starts "Brindle Test Clock" wine "$clock" /com BrindleTestClock.Face.1
starts "Brindle Test Notes" wine 'C:\Apps\Brindle Test Notes\btnotes.exe'
settle

echo "== verdicts"
# The file paths the scanned keys name in one view, as "path" lines: quotes and arguments
# dropped, bare names (codecs, drivers, starters, COM servers) looked up in the system
# folder and fonts in the Fonts folder as Windows does; %variables% left for cmd.
collect() {  # view
    local view=$1 hklm='HKLM\Software\Microsoft'
    local -a query
    if [ "$view" = 64 ]; then query=("$wine64" reg query); else query=(wine reg query); fi
    part() {  # what key [/s]: a key that is not there names nothing
        echo "#$1 $2"
        "${query[@]}" "${@:2}" "/reg:$view" 2> /dev/null || true
    }
    {
        part clsid 'HKCR\CLSID' /s
        part names "$hklm\Windows\CurrentVersion\SharedDLLs"
        part system "$hklm\Windows NT\CurrentVersion\Drivers32"
        part help "$hklm\Windows\Help"
        part help "$hklm\Windows\HTML Help"
        part child "$hklm\Windows\CurrentVersion\App Paths" /s
        part tools "$hklm\Shared Tools" /s
        part fonts "$hklm\Windows NT\CurrentVersion\Fonts"
        part system "$hklm\Windows\CurrentVersion\Run"
        part uninst "$hklm\Windows\CurrentVersion\Uninstall" /s
    } | tr -d '\r' | awk '
        function depth(k) { return gsub(/\\/, "", k) }
        function file(text, home) {
            if (substr(text, 1, 1) == "\"") { text = substr(text, 2); text = substr(text, 1, index(text, "\"") - 1) }
            if (text == "") return ""
            if (index(text, "\\") == 0 && index(text, "%") == 0) {
                if (index(text, " ")) text = substr(text, 1, index(text, " ") - 1)
                text = home "\\" text
            }
            return text
        }
        /^#/ { part = substr($1, 2); top = depth(substr($0, length($1) + 2)); next }
        /^HKEY_/ { key = $0; next }
        /^    / {
            line = substr($0, 5)
            i = index(line, "    "); name = substr(line, 1, i - 1); line = substr(line, i + 4)
            i = index(line, "    "); data = i ? substr(line, i + 4) : ""
            child = depth(key) == top + 1
            if (part == "clsid" && name == "(Default)" && tolower(key) ~ /\\inprocserver32$/) print file(data, "C:\\windows\\system32")
            else if (part == "names") print name
            else if (part == "system") print file(data, "C:\\windows\\system32")
            else if (part == "help" && data != "") print data (data ~ /\\$/ ? "" : "\\") name
            else if (part == "child" && child && name == "(Default)") print file(data, "C:\\windows\\system32")
            else if (part == "tools" && child && name == "Path") print file(data, "C:\\windows\\system32")
            else if (part == "fonts") print file(data, "C:\\windows\\Fonts")
            else if (part == "uninst" && child && name == "UninstallString") print file(data, "C:\\windows\\system32")
        }' | awk 'NF' | LC_ALL=C sort -u
}
verdicts() {  # view: reads paths, writes "view<TAB>path<TAB>verdict" lines
    local -a paths
    mapfile -t paths
    if LC_ALL=C grep -q '[^ -~]' <<< "${paths[*]}"; then echo "a path is not plain ASCII: the batch file would garble it" >&2; exit 1; fi
    local batch=$drive_c/windows/temp/brindle-verdicts.cmd
    { echo "@echo off"; for path in "${paths[@]}"; do echo "if exist \"$path\" echo FOUND"; echo "if not exist \"$path\" echo MISSING"; done; } |
        sed 's/$/\r/' > "$batch"
    local -a said
    if [ "$1" = 64 ]; then mapfile -t said < <(cmd64 'C:\windows\temp\brindle-verdicts.cmd' | tr -d '\r')
    else mapfile -t said < <(cmd32 'C:\windows\temp\brindle-verdicts.cmd' | tr -d '\r'); fi
    rm "$batch"
    if [ "${#said[@]}" -ne "${#paths[@]}" ]; then echo "cmd answered ${#said[@]} times for ${#paths[@]} paths" >&2; exit 1; fi
    for i in "${!paths[@]}"; do printf '%s\t%s\t%s\n' "$1" "${paths[$i]}" "${said[$i]}"; done
}
{ collect 64 | verdicts 64; collect 32 | verdicts 32; } > "$here/wine-verdicts.tsv"
settle

echo "== copying out"
wineserver -k || true
settle
"$here/../fresh-prefix/make-fixture.sh" "$WINEPREFIX" "$here"
echo "done: $(grep -c . "$here/wine-verdicts.tsv") verdicts, $(grep -c MISSING "$here/wine-verdicts.tsv") missing; work folder $work"
