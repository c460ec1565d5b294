# Shared by the scripts that run Windows programs under Wine: a virtual display with a window
# manager, and a Wine prefix inside the build folder. Source it, then call the functions; every
# process started here is ended by its own id when the calling script exits.

XENV_PIDS=()

xenv_cleanup() {
  if [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  local pid
  for pid in "${XENV_PIDS[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
  done
  for pid in "${XENV_PIDS[@]}"; do
    wait "$pid" >/dev/null 2>&1 || true
  done
  XENV_PIDS=()
}

# xenv_start_display [WIDTHxHEIGHT]: starts Xvfb on a free display number and exports DISPLAY.
# Other servers come and go on a shared machine, and a number that looked free can be taken by
# the time ours listens; it then exits at once, and another number is tried. High random numbers
# stay out of the way of servers that count up from :0.
xenv_start_display() {
  local size=${1:-1280x1024}
  local attempt number pid fdfile i
  for attempt in $(seq 1 10); do
    number=$((100 + RANDOM % 900))
    [[ -e /tmp/.X$number-lock ]] && continue
    fdfile=$(mktemp)
    Xvfb ":$number" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    pid=$!
    for i in $(seq 1 100); do
      if [[ -s $fdfile ]] || ! kill -0 "$pid" 2>/dev/null; then break; fi
      sleep 0.1
    done
    rm -f "$fdfile"
    for i in $(seq 1 50); do
      if ! kill -0 "$pid" 2>/dev/null; then break; fi
      if xprop -display ":$number" -root >/dev/null 2>&1; then
        XENV_PIDS+=("$pid")
        export DISPLAY=":$number"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" >/dev/null 2>&1 || true
    wait "$pid" >/dev/null 2>&1 || true
  done
  echo "xenv: Xvfb did not start" >&2
  return 1
}

# xenv_start_openbox: a window manager, so that a minimised window gives up the foreground.
xenv_start_openbox() {
  openbox --sm-disable >/dev/null 2>&1 &
  XENV_PIDS+=($!)
  local i
  for i in $(seq 1 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then return 0; fi
    sleep 0.1
  done
  echo "xenv: openbox did not start" >&2
  return 1
}

# xenv_wine_prefix DIR [persistent]: a ready Wine prefix at DIR (created on first use, about
# 15 s). With "persistent" its wineserver and services stay up until xenv_cleanup; otherwise they
# end a few seconds after the last program, and the next program waits 10 to 20 s while they
# start again.
xenv_wine_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
  fi
  if [[ ${2:-} == persistent ]]; then
    # Persistence is set when the server starts, so a server still running is ended first.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p
  fi
  # Start the prefix's background processes now, outside any pipe a test reads: they keep
  # inherited pipes open and would make a reader wait until its time-out.
  wineboot >/dev/null 2>&1 </dev/null
}
