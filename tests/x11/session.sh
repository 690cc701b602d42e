# Shared by the checks in this folder (sourced, never run): a private Xvfb display with its
# own runtime, config and state folders, a copy opened in its own tovin, and the places of
# words on screen as OCR reads them. Every check needs a display, so none of them is in ctest.
#
# After `x11_session NUMBER`: $work is a fresh folder (kept when TOVIN_X11_KEEP is set), the
# display :NUMBER runs, and on exit the last opened tovin and the display are stopped. A
# check may define x11_on_exit to run before the folder is removed.

x11_session() {
    work=$(mktemp -d)
    pid=
    xvfb=
    trap x11_end EXIT
    mkdir -p "$work"/{run,config/Tovin,state,home}
    chmod 700 "$work/run"  # Qt refuses a runtime folder others can read
    export DISPLAY=:$1 XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
    # -noreset: a server that resets when its last client leaves refuses the next one for a moment.
    Xvfb "$DISPLAY" -noreset -screen 0 1600x1000x24 >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
}

x11_end() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    if declare -F x11_on_exit >/dev/null; then x11_on_exit || true; fi
    if [ -z "${TOVIN_X11_KEEP:-}" ]; then rm -rf "$work"; fi
}

# The author name tracked edits and comments are made by.
x11_author() {
    author_name=$1
    printf '[General]\nauthorName=%s\n' "$1" >"$work/config/Tovin/Tovin.ini"
}

# Closes the window by signal. The settings are written afresh, so that the next window
# does not restore this document as a second tab.
x11_close() {
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
    x11_author "$author_name"
}

# Starts $tovin on FILE (output to LOG, default nowhere), waits for its window ($window),
# lets it lay out and gives it the focus. Xvfb has no window manager to do that.
x11_open() {
    "$tovin" "$1" >>"${2:-/dev/null}" 2>&1 &
    pid=$!
    x11_find_window "$(basename "$1")"
    sleep "${TOVIN_X11_SETTLE:-2}"  # placed and laid out (longer on a busy machine)
    xdotool windowfocus --sync "$window" 2>/dev/null || true
}

x11_find_window() {
    for _ in $(seq 50); do
        window=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$window" ] && return
        sleep 0.2
    done
    echo "FAIL: no window \"$1\"" >&2
    exit 1
}

# The centre of the first word OCR reads as matching REGEX, as "x y"; fails when none does.
# The screen is read at twice its size: the menu bar's small type is missed at its own.
x11_word_at() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -resize 200% "$work/large.png"
    local found
    # awk stops at the first match, so tesseract may die of a closed pipe: not a failure.
    found=$(tesseract "$work/large.png" - tsv 2>/dev/null |
        awk -F'\t' -v want="$1" '$12 ~ want { print int(($7 + $9 / 2) / 2), int(($8 + $10 / 2) / 2); exit }') || true
    [ -n "$found" ] && echo "$found"
}

x11_click_word() {
    local x y
    read -r x y < <(x11_word_at "$1") || { echo "\"$1\" was not found on screen" >&2; exit 1; }
    xdotool mousemove "$x" "$y" click 1
    sleep 0.8
}

# Ctrl+S; given the document's FILE, waits (up to 10 s) until it is written anew, since a
# busy machine may take longer than the usual second and a half.
x11_save() {
    local before
    before=$(stat -c '%i %y' "${1:-/dev/null}")
    xdotool key ctrl+s
    sleep 1.5
    if [ -n "${1:-}" ]; then
        for _ in $(seq 34); do [ "$(stat -c '%i %y' "$1")" != "$before" ] && break; sleep 0.25; done
        sleep 0.5
    fi
}

# Ctrl+S, then waits until COPY differs from ORIGINAL (the save is written in the background).
x11_save_changed() {
    xdotool key ctrl+s
    for _ in $(seq 40); do cmp -s "$1" "$2" || break; sleep 0.25; done
    sleep 1
}
