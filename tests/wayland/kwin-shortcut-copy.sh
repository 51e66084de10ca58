#!/usr/bin/env bash
# The global shortcut end to end on a headless KWin with the desktop portal (KDE backend) on a
# private session bus: the application (native Wayland, a remembered project, a recorded shortcut)
# binds it through the portal; each invocation through KWin's shortcut service must put exactly
# the project's text on the clipboard, twice, with the selected file changed in between.
# Exit status 0 when both copies match, 1 when one does not, 77 when a piece is missing.
set -euo pipefail

app=$(realpath "${1:?usage: $0 PATH/TO/codeplexor [PATH/TO/plexor]}")
plexor=$(realpath "${2:-$(dirname "$app")/../cli/plexor}")
portal_kde=/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
portal=/usr/libexec/xdg-desktop-portal
for program in kwin_wayland wl-paste dbus-daemon dbus-send "$portal_kde" "$portal" "$app" "$plexor"
do
    [ -x "$(command -v "$program")" ] || { echo "missing: $program" >&2; exit 77; }
done

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
log() { echo "kwin-shortcut-copy: $*" >&2; }
# Waits up to $2 tenths of a second for the command $1 to succeed.
wait_for() {
    local tries=$2
    until eval "$1" >/dev/null 2>&1; do
        tries=$((tries - 1)); [ "$tries" -gt 0 ] || return 1; sleep 0.1
    done
}
# Starts "$@" (logging to $work/$2.log) and waits for it to own the bus name $1.
start_service() {
    local name=$2 owned="dbus-send --session --print-reply --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:$1 | grep -q 'boolean true'"
    shift 2
    "$@" >"$work/$name.log" 2>&1 &
    pids+=($!)
    wait_for "$owned" 150 || { log "$name did not start"; cat "$work/$name.log" >&2; exit 1; }
}

export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/CodePlexor" "$HOME"
unset DISPLAY WAYLAND_DISPLAY

# A private session bus; services started by hand, as one the bus starts would lack this setting.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" &
pids+=($!)
wait_for "test -s '$work/bus'" 50 || { log "no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

# The installed binary carries a file capability that containers refuse; a copy has none.
cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
export WAYLAND_DISPLAY=codeplexor-test
# KWin's shortcut service on the bus means KWin is up.
start_service org.kde.kglobalaccel kwin "$work/kwin_wayland" --virtual --socket "$WAYLAND_DISPLAY" \
    --width 1024 --height 768 --no-lockscreen

export XDG_CURRENT_DESKTOP=KDE
start_service org.freedesktop.impl.portal.desktop.kde portal-kde \
    env QT_QPA_PLATFORM=offscreen "$portal_kde"
start_service org.freedesktop.portal.Desktop portal "$portal"

# A remembered project with one selected file, reopened at start, and Ctrl+Shift+K recorded.
project=$work/project
mkdir -p "$project/src"
echo "first version" >"$project/src/main.cpp"
echo "not selected" >"$project/notes.txt"
base64() { printf '%s' "$1" | command base64 -w0; }
bookmark="{\"path\":\"$project\"}"
record="[{\"id\":\"6F1C2B6E-3D0A-4C2E-9E51-2D8F6A4B7C10\",\"bookmarkData\":\"$(base64 "$bookmark")\",\"path\":\"$project\",\"isPinned\":false,\"lastAccessed\":800000000,\"savedSelectedPaths\":[\"$project/src/main.cpp\"],\"savedExpandedPaths\":[]}]"
cat >"$XDG_CONFIG_HOME/CodePlexor/CodePlexor.json" <<EOF
{
  "recentFoldersJson": {"base64": "$(base64 "$record")"},
  "lastFolderBookmark": {"base64": "$(base64 "$bookmark")"},
  "SUEnableAutomaticChecks": false,
  "KeyboardShortcuts_generateProject": "{\"carbonKeyCode\":40,\"carbonModifiers\":768}"
}
EOF

QT_QPA_PLATFORM=wayland "$app" >"$work/app.log" 2>&1 &
pids+=($!)
# The desktop names the application's list of shortcuts after its session token.
invoke() {
    dbus-send --session --print-reply --dest=org.kde.kglobalaccel /component/codeplexor \
        org.kde.kglobalaccel.Component.invokeShortcut "string:hotkey-40-768"
}
wait_for invoke 150 ||
    { log "the shortcut was not bound"; cat "$work/app.log" "$work/portal.log" >&2; exit 1; }

status=0
for version in "first version" "second version"; do
    echo "$version" >"$project/src/main.cpp"
    expected=$("$plexor" generate --project "$project"; echo .)
    [[ $expected == *"$version"* ]] || { log "plexor did not generate the project's text"; exit 1; }
    invoke >/dev/null
    pasted='timeout 2 wl-paste --no-newline 2>/dev/null; echo .'
    wait_for '[ "$(eval "$pasted")" = "$expected" ]' 50 && continue
    log "clipboard does not hold the text with \"$version\""
    diff <(printf '%s' "$expected") <(eval "$pasted") >&2 || true
    status=1
done
exit "$status"
