# What the end-to-end runs share: their own virtual X server, a window manager, a run folder
# beside the playable one, the game's window, keys, and the wait for the game's end.
# Sourced by each run; GAME and WM hold the game's and the window manager's process ids.

# Runs the calling script again under a virtual X server of its own, ended after SECONDS:
#   e2e_own_display SECONDS "$0" ARGS...
e2e_own_display() {
  [ "${TB_E2E_INSIDE:-}" = 1 ] && return 0
  export TB_E2E_INSIDE=1
  local seconds=$1
  shift
  # Other test runs on this machine start X servers too: begin the search for a free display
  # number at a random place so that two runs do not race for the same one. The keyboard
  # repeats a held key only after 30 s: on a busy machine a key's release can come later than
  # the usual half second, and a name typed as "Quack 42" arrived as "Quack 444444".
  exec timeout "$seconds" xvfb-run -a -n $((100 + RANDOM % 800)) \
    -s "-screen 0 1024x768x24 -nolisten tcp -ardelay 30000" bash "$@"
}

# What a failed run stops; a run that starts more redefines it (and calls this one).
e2e_stop_processes() {
  [ -n "${GAME:-}" ] && kill "$GAME" 2>/dev/null
  [ -n "${WM:-}" ] && kill "$WM" 2>/dev/null
  return 0
}
e2e_cleanup() { e2e_stop_processes; }

fail() {
  echo "e2e: $*" >&2
  e2e_cleanup
  exit 1
}

e2e_window_manager() {
  openbox >/dev/null 2>&1 &
  WM=$!
  # A window that maps before openbox is up is adopted when it starts; a moment's head start
  # keeps the first placement simple.
  sleep 0.5
}

# The run plays in a folder that links to everything of the playable folder but its own,
# empty Data/Save and the Data entries named after the two folders (which the run writes):
#   e2e_run_folder GAME_DIR RUN_DIR [DATA_ENTRY...]
# It starts from the default options whatever a player saved, and leaves the player's save
# files alone.
e2e_run_folder() {
  local game_dir=$1 run_dir=$2 f name own
  shift 2
  [ -x "$game_dir/tallowbrackles" ] || fail "no playable folder $game_dir"
  rm -rf "$run_dir"
  mkdir -p "$run_dir/Data/Save" || fail "cannot make the run folder $run_dir"
  for f in "$game_dir"/*; do [ "$(basename "$f")" = Data ] || ln -s "$f" "$run_dir/"; done
  for f in "$game_dir"/Data/*; do
    name=$(basename "$f")
    own=
    [ "$name" = Save ] && own=1
    for o in "$@"; do [ "$name" = "$o" ] && own=1; done
    [ -n "$own" ] || ln -s "$f" "$run_dir/Data/"
  done
}

# Waits for the game's window and sets WID; LOG is where the program's messages go.
e2e_find_window() {
  WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tallow Brackles$' 2>/dev/null | head -1)
  [ -n "$WID" ] || fail "no window appeared; the program said: $(cat "$1")"
}

e2e_focus() {
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"
}

# Each key is held a moment: the game reads letters, Enter, the arrows, Esc, P, Y and N by
# polling every frame. KEY_GAP is the pause after each key (0.25 s unless a run sets it).
key() {
  local k
  for k in "$@"; do
    xdotool keydown "$k"
    sleep 0.15
    xdotool keyup "$k"
    sleep "${KEY_GAP:-0.25}"
  done
}

# Waits up to 10 s for the game to end after WHAT (a close request, Esc and Y...), and
# checks it ended with status 0; LOG is where the program's messages go.
e2e_wait_end() {
  local what=$1 log=$2 status
  for _ in $(seq 100); do
    kill -0 "$GAME" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$GAME" 2>/dev/null && fail "the program did not end after $what"
  wait "$GAME"
  status=$?
  GAME=
  [ "$status" = 0 ] || fail "the program ended with status $status: $(cat "$log")"
}

# Alt+F4 asks "Exit the game?"; Y answers it, and the game ends with status 0.
e2e_close() {
  local log=$1
  e2e_focus
  xdotool key --clearmodifiers alt+F4
  sleep 0.5
  kill -0 "$GAME" 2>/dev/null || fail "the program ended on the close request without asking"
  key y
  e2e_wait_end "the close request and Y" "$log"
}
