# Shared by the end-to-end scenarios (and scripts/screenshot): each one sources this file, then
# calls e2e_setup.
#
#   <scenario> <program> <source folder> <screenshot folder> <scripted server program> <control rects program>
#              <catalog program>
#
# With an empty screenshot folder no picture of the display is left at the end.
# e2e_setup gives the scenario its own X server (Xvfb), its own nginx stand-in for the download
# server (scripts/demo-server) and a fresh folder holding a bare copy of the program. The program
# is then driven only from outside, as a person would: xdotool clicks at the controls' places and
# keys into the focused window; what it shows is read from the window title, the window's pixels
# and the files beside it. Every wait polls a condition.
set -euo pipefail

program=$1
source_dir=$2
screenshot_dir=$3
scripted_server_program=$4
control_rects_program=$5
# scripts/screenshot names only the first five; the catalog printer is built beside the program.
catalog_program=${6:-$(dirname "$program")/vorn-catalog}
scenario=$(basename "$0")

work=$(mktemp -d)
# Every process the scenario starts inherits this mark, so none can outlive it unnoticed.
export VORN_E2E_RUN="$scenario:$$:$work"
app_dir=$work/app
demo_dir=$work/demo
xvfb_pid=
app_pid=
server_pid=
server_url=
other_pids=()
window=

readonly initial_caption='::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::'

# The X server's screen; a scenario may set it before e2e_setup.
e2e_screen=800x600x24
# The program's scale factor (QT_SCALE_FACTOR); a scenario may set it before start_program.
scale=1
# More of the program's environment, as arguments to env (-u LC_ALL LANG=de_DE.UTF-8); a scenario may set
# them before start_program.
program_env=()
# The title of the program's message window, in the language the program runs in.
message_title='Download failed'
# Where the main window's controls sit, "x y width height" in the window's pixels by control name, as
# the window itself lays them out (vorn-control-rects); filled by start_program.
declare -A control=()
# The strip that shows the state: "Progress >>>" or the busy caption, and the progress bar.
state_strip=
# The program's own catalog by position (vorn-catalog), filled by e2e_setup: the download key, the
# archive's file name, the display name, the URL, and for a listed tool how many Downs pick it.
catalog_key=()
catalog_file=()
catalog_name=()
catalog_url=()
catalog_downs=()

say() { printf 'e2e %s: %s\n' "$scenario" "$*" >&2; }
# The program still runs (after what $* did).
still_running() { running "$app_pid" || fail "the program ended${1:+ after $*}"; }
# The scenario passes, the program still running: what $* says is what it proved.
pass_while_running() { still_running && say "PASS: $*"; }

fail() {
    say "FAIL: $*"
    local log
    for log in "$work/program.log" "$work/xvfb.log" "$demo_dir/nginx/error.log" "$demo_dir/nginx/access.log" "$work/server.log" \
        "$work/requests.log"; do
        [ -s "$log" ] && sed "s|^|e2e $scenario: $(basename "$log"): |" "$log" >&2
    done
    exit 1
}

# The display as it was at the end, pass or fail, for whoever looks into a failure. A scenario that
# takes it earlier sets screenshot_taken, and the end leaves it be. $1 marks a picture taken on the way.
screenshot_taken=
screenshot() {
    [ -n "$screenshot_dir" ] && [ -n "$xvfb_pid" ] && [ -n "${DISPLAY:-}" ] || return 0
    mkdir -p "$screenshot_dir"
    import -silent -window root "$screenshot_dir/$scenario${1:-}.png" 2>/dev/null \
        && say "screenshot: $screenshot_dir/$scenario${1:-}.png" || say "no screenshot could be taken"
}

stop_process() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    # A process the scenario stopped ends only once it runs again.
    kill -CONT "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# The processes other than this shell that carry the scenario's mark in their environment or name its
# folder on their command line (nginx rewrites its environment, not its command line); into `survivors`.
# Only builtins read /proc here, so the search finds none of its own.
survivors=()
find_survivors() {
    survivors=()
    local proc pid entry marked
    for proc in /proc/[0-9]*; do
        pid=${proc#/proc/}
        [ "$pid" != $$ ] || continue
        marked=
        while IFS= read -r -d '' entry; do
            [ "$entry" = "VORN_E2E_RUN=$VORN_E2E_RUN" ] && marked=1 && break
        done 2>/dev/null <"$proc/environ" || true
        if [ -z "$marked" ]; then
            while IFS= read -r -d '' entry; do
                [[ "$entry" == *"$work"* ]] && marked=1 && break
            done 2>/dev/null <"$proc/cmdline" || true
        fi
        [ -z "$marked" ] || ! running "$pid" || survivors+=("$pid")
    done
}
no_survivors() {
    find_survivors
    [ ${#survivors[@]} -eq 0 ]
}

cleanup() {
    local status=$? pid
    [ -n "$screenshot_taken" ] || screenshot || true
    stop_process "$app_pid"
    stop_process "$server_pid"
    for pid in "${other_pids[@]}"; do stop_process "$pid"; done
    "$source_dir/scripts/demo-server" stop "$demo_dir" >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        take_x_lock
        stop_process "$xvfb_pid"
        drop_x_lock
    fi
    # Whatever is still running now was started by the scenario and not ended by it.
    if ! wait_for 5 no_survivors; then
        for pid in "${survivors[@]}"; do
            say "FAIL: still running after the scenario: $pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
        done
        kill -KILL "${survivors[@]}" 2>/dev/null || true
        status=1
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

# Polls a condition every 50 ms for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

# Running, and not merely a child nobody has reaped yet.
running() {
    local state
    state=$(sed -e 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# X servers start and stop one at a time, across all scenarios running side by side. A dying server
# gives up its display number before it removes its socket, which by then may belong to a new server
# with the same number: the new one would be unreachable.
x_lock=${TMPDIR:-/tmp}/vorn-e2e-x-servers.lock
take_x_lock() {
    exec 9>>"$x_lock"
    flock 9
}
drop_x_lock() { exec 9>&-; }

sha() { sha256sum <"$1" | cut -d' ' -f1; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

read_catalog() {
    local position listed key file name url downs=0
    "$catalog_program" >"$work/catalog" || fail "vorn-catalog could not print the catalog"
    while IFS=$'\t' read -r position listed key file name url; do
        [ -n "$url" ] || fail "vorn-catalog printed an unreadable line: $position"
        catalog_key[position]=$key
        catalog_file[position]=$file
        catalog_name[position]=$name
        catalog_url[position]=$url
        if [ "$listed" = 1 ]; then
            downs=$((downs + 1))
            catalog_downs[position]=$downs
        fi
    done <"$work/catalog"
    [ ${#catalog_key[@]} -gt 0 ] || fail "vorn-catalog printed no entries"
}

# Where the archive of catalog entry $1 lands beside the program, and the file nginx serves for it.
archive_of() { printf '%s\n' "$app_dir/${catalog_file[$1]}"; }
served_of() { printf '%s\n' "$demo_dir/files/${catalog_key[$1]}"; }

e2e_setup() {
    read_catalog
    mkdir -p "$app_dir"
    # The pictures are compiled in, so a bare copy runs; downloads land beside it.
    cp "$program" "$app_dir/vorn-tools-downloader"

    take_x_lock
    # -noreset: by default the server starts over when its last client leaves, and a program that
    # connects just then is turned away.
    Xvfb -displayfd 3 -screen 0 "$e2e_screen" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" 9>&- &
    xvfb_pid=$!
    wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$work/display")"
    wait_for 20 xwininfo -root >/dev/null 2>&1 || fail "nobody can connect to Xvfb on $DISPLAY"
    drop_x_lock
}

# The servers are started in this shell, never inside $(...): a subshell would keep the server's pid
# from the clean-up. Each leaves its URL in server_url.

# The nginx stand-in for the download server, serving every catalog key. Arguments go to it
# (--rate KEY=RATE throttles one more key).
start_demo_server() {
    "$source_dir/scripts/demo-server" start "$demo_dir" --catalog "$catalog_program" "$@" >"$work/demo.url" 2>"$work/demo.log" \
        || fail "the demo server did not start"
    server_url=$(head -n 1 "$work/demo.url")
}

# Our own scripted server, for faults nginx will not make. Arguments go to it.
start_scripted_server() {
    "$scripted_server_program" --log "$work/requests.log" "$@" >"$work/server.url" 2>"$work/server.log" &
    server_pid=$!
    wait_for 20 test -s "$work/server.url" || fail "the scripted server did not start"
    server_url=$(head -n 1 "$work/server.url")
}

find_main_window() {
    running "$app_pid" || fail "the program ended at start"
    window=$(xdotool search --onlyvisible --name 'VORN Tools Downloader' 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

# Reads where the controls of one of the program's windows sit into `control`.
read_control_rects() {
    local name rect
    QT_SCALE_FACTOR=$scale "$control_rects_program" "$1" >"$work/controls" 2>/dev/null \
        || fail "vorn-control-rects could not describe $1"
    control=()
    while read -r name rect; do control[$name]=$rect; done <"$work/controls"
}

# The smallest WIDTHxHEIGHT+X+Y holding the named controls.
span_of() {
    local name x y w h left= top= right= bottom=
    for name in "$@"; do
        read -r x y w h <<<"${control[$name]}"
        [ -n "$left" ] && [ "$left" -le "$x" ] || left=$x
        [ -n "$top" ] && [ "$top" -le "$y" ] || top=$y
        [ -n "$right" ] && [ "$right" -ge $((x + w)) ] || right=$((x + w))
        [ -n "$bottom" ] && [ "$bottom" -ge $((y + h)) ] || bottom=$((y + h))
    done
    echo "$((right - left))x$((bottom - top))+$left+$top"
}

# Starts the copy with the given server as its HTTP proxy and waits for its main window.
start_program() {
    local proxy=$1
    read_control_rects Form1
    state_strip=$(span_of xpLabel1 Label1 ProgressBar1)
    (cd "$app_dir" && http_proxy=$proxy no_proxy= NO_PROXY= QT_QPA_PLATFORM=xcb \
        QT_SCALE_FACTOR=$scale exec env "${program_env[@]}" ./vorn-tools-downloader) 2>"$work/program.log" &
    app_pid=$!
    wait_for 30 find_main_window || fail "the main window did not appear"
    xdotool windowfocus --sync "$window"
    say "main window $window on $DISPLAY"
}

# The usual start: the display, the demo server (arguments go to it) and the program with it as its proxy.
start_with_demo_server() {
    e2e_setup
    start_demo_server "$@"
    start_program "$server_url"
}

# Clicks the middle of a control of the main window, by its name: xpButton4 is Download, xpButton3
# Cancel, xpButton2 About and xpButton1 Exit.
click() {
    local x y w h
    [ -n "${control[$1]:-}" ] || fail "the main window has no control $1"
    read -r x y w h <<<"${control[$1]}"
    xdotool mousemove --window "$window" $((x + w / 2)) $((y + h / 2)) click 1
}

# The tool list has the focus at start, with nothing picked: the first Down picks the first tool.
pick_tool() {
    local n
    for ((n = 0; n < $1; n++)); do xdotool key Down; done
}
# Picks catalog entry $1 in the tool list, which leaves out the entries that are not listed.
pick_entry() {
    [ -n "${catalog_downs[$1]:-}" ] || fail "catalog entry $1 is not in the tool list"
    pick_tool "${catalog_downs[$1]}"
}
# Picks catalog entry $1 and presses Download.
download_entry() {
    pick_entry "$1"
    click xpButton4
}
# Downloads "VORN Rescue Utility 2", the demo server's slow archive (64 MiB at 2 MiB/s), until its first MiB
# has arrived; the archive's path is left in `archive`.
start_slow_transfer() {
    download_entry 10
    archive=$(archive_of 10)
    started() { [ "$(size_of "$archive.part")" -gt 1048576 ]; }
    wait_for 60 started || fail "the slow transfer did not start"
}

title() { xdotool getwindowname "$window"; }
# A window's client area and where it sits: WIDTHxHEIGHT+X+Y.
place_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print w "x" h "+" x "+" y}'
}
about_window() { xdotool search --onlyvisible --name '^About$' 2>/dev/null | head -n 1; }
has_about() { [ -n "$(about_window)" ]; }

# Waits up to $1 seconds for the program to end after $2 (what was done), which must end it with status 0.
expect_ended() {
    ended() { ! running "$app_pid"; }
    wait_for "$1" ended || fail "the program was still running $1 s after $2"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "$2 ended the program with status $status"
}
leading_blanks() {
    local text=$1 stripped=${1#"${1%%[! ]*}"}
    echo $((${#text} - ${#stripped}))
}
trimmed() {
    local text=${1#"${1%%[! ]*}"}
    printf '%s\n' "${text%"${text##*[! ]}"}"
}

# A fingerprint of the pixels of one part of the main window: WIDTHxHEIGHT+X+Y. Fails, printing
# nothing, when the window cannot be photographed, so a failed grab never passes for a look.
pixels() {
    local data
    data=$(import -silent -window "$window" -crop "$1" +repage rgb:- 2>/dev/null | base64 -w0) || return 1
    [ -n "$data" ] || return 1
    sha256sum <<<"$data" | cut -d' ' -f1
}

# The state strip's look at start, once two looks in a row agree (the first paint has happened).
idle_look=
learn_idle_look() {
    local previous=
    stable() {
        local now
        now=$(pixels "$state_strip") || return 1
        [ "$now" = "$previous" ] && idle_look=$now && return 0
        previous=$now
        return 1
    }
    wait_for 20 stable || fail "the window never settled after start"
}
looks_idle() { local now && now=$(pixels "$state_strip") && [ "$now" = "$idle_look" ]; }
looks_busy() { local now && now=$(pixels "$state_strip") && [ "$now" != "$idle_look" ]; }

# Proof that the program has handled what was sent before: the title moves twice more.
title_moves_twice() {
    local first second
    first=$(title)
    changed_from() { [ "$(title)" != "$1" ]; }
    wait_for 10 changed_from "$first" || fail "the title stopped moving"
    second=$(title)
    wait_for 10 changed_from "$second" || fail "the title stopped moving"
}

message_window() {
    xdotool search --onlyvisible --name "^$message_title\$" 2>/dev/null | head -n 1
}
has_message_window() { [ -n "$(message_window)" ]; }
no_message_window() { [ -z "$(message_window)" ]; }

# A person reads the message and presses Return.
dismiss_message() {
    local box
    box=$(message_window)
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for 10 no_message_window || fail "the message window did not go away"
}

# Without a notification service a complete download is told in a note over the window ("<tool>
# downloaded"): a person reads it, presses Return and goes on in the main window, idle again.
note_window() { xdotool search --onlyvisible --name ' downloaded$' 2>/dev/null | head -n 1; }
has_note() { [ -n "$(note_window)" ]; }
read_note() {
    wait_for 20 has_note || fail "no note tells the complete download"
    xdotool windowfocus --sync "$(note_window)" key Return
    wait_for 10 eval '! has_note' || fail "the note did not go away"
    xdotool windowfocus --sync "$window"
    wait_for 20 looks_idle || fail "the window did not go back to idle"
}

# A bus daemon of the scenario's own, named to the program by the variable $1 (DBUS_SESSION_BUS_ADDRESS,
# DBUS_SYSTEM_BUS_ADDRESS); its pid in bus_pid.
bus_pid=
start_bus() {
    dbus-daemon --session --nofork --address="unix:path=$work/$1" --print-address=3 3>"$work/$1.address" \
        2>"$work/$1.log" &
    bus_pid=$!
    other_pids+=("$bus_pid")
    wait_for 20 test -s "$work/$1.address" || fail "the bus for $1 did not start"
    export "$1=$(head -n 1 "$work/$1.address")"
}
# A session bus of the scenario's own, on which the program offers what a screen reader reads.
start_accessibility_bus() {
    start_bus DBUS_SESSION_BUS_ADDRESS
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# With the bus daemon started last wedged (kill -STOP) once the window is up: a download completes, the
# window lives on meanwhile and tells the outcome itself, and Exit ends the program at once.
download_with_bus_wedged() {
    start_with_demo_server
    learn_idle_look
    kill -STOP "$bus_pid"
    download_entry 2
    local archive
    archive=$(archive_of 2)
    saved() { [ "$(sha "$archive")" = "$(sha "$(served_of 2)")" ]; }
    wait_for 60 saved || fail "the archive was not saved"
    title_moves_twice
    read_note
    title_moves_twice
    click xpButton1 # Exit
    expect_ended 5 Exit
    say "PASS: saved with the bus wedged, the title moving, the outcome told in the window; Exit ended it"
}

# The program's windows as "role|name|value" lines into $work/tree, depth first, as a screen reader
# reads them over the accessibility bus, each followed by a line "  description|actions|enabled or
# disabled|labelled by"; then whether a line matches the pattern $1.
tree_has() {
    /usr/bin/python3 - >"$work/tree" 2>>"$work/reader.log" <<'PY'
import pyatspi

def walk(node, depth):
    value = ''
    try:
        value = '%g' % node.queryValue().currentValue
    except NotImplementedError:
        pass
    print('%s|%s|%s' % (node.getRoleName(), node.name, value))
    try:
        action = node.queryAction()
        actions = ','.join(action.getName(i) for i in range(action.nActions))
    except NotImplementedError:
        actions = ''
    enabled = 'enabled' if node.getState().contains(pyatspi.STATE_ENABLED) else 'disabled'
    labels = ','.join(target.name for relation in node.getRelationSet()
                      if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                      for target in (relation.getTarget(i) for i in range(relation.getNTargets())))
    print('  %s|%s|%s|%s' % (node.description, actions, enabled, labels))
    for child in node:
        if child is not None:
            walk(child, depth + 1)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == 'VORN Tools Downloader':
        for window in app:
            walk(window, 0)
PY
    grep -q "$1" "$work/tree"
}
# The line $1 is in the tree tree_has read last.
expect_in_tree() { grep -qxF "$1" "$work/tree" || fail "no \"$1\" in the tree: $(tr '\n' ';' <"$work/tree")"; }

# Plants an earlier archive of catalog entry $1, to check that a failed or stopped download leaves it
# as it was.
plant_archive() {
    local archive
    archive=$(archive_of "$1")
    printf 'an earlier archive of %s, which must survive\n' "${catalog_name[$1]}" >"$archive"
    sha "$archive"
}
