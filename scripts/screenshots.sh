#!/usr/bin/env bash
# Makes the README's screenshots: starts the demo server and the client on a
# virtual screen (Xvfb, 1600 x 1000), works them with xdotool as a marker
# would and saves what the screen shows in docs/screenshots/.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build >/dev/null

out="$PWD/docs/screenshots"
mkdir -p "$out"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display nobody uses.
n=91
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
build/demo-server --port 0 --data "$work/data" --students 12 >"$work/server.out" 2>"$work/server.err" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/server.out" ] && break; sleep 0.1; done
port="$(head -n 1 "$work/server.out")"

# The client keeps Config.InI beside itself: a copy in the scratch folder
# starts as on a new machine.
cp build/marking-client "$work/"
(cd "$work" && exec ./marking-client >"$work/client.out" 2>&1) &
pids+=($!)

window() { xdotool search --sync --onlyvisible --limit 1 --name "$1"; }
# Top-left corner of a window on the screen: X and Y.
corner() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
shot() { sleep "${2:-1}"; import -window root "$out/$1.png"; echo "docs/screenshots/$1.png"; }
shotWindow() { sleep 1; import -window "$2" "$out/$1.png"; echo "docs/screenshots/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
drag() { xdotool mousemove "$1" "$2" mousedown 1 mousemove "$3" "$4" mouseup 1; sleep 0.4; }
keys() { xdotool key --delay 60 "$@"; }
typed() { xdotool type --delay 40 "$1"; }

# Signs in: each edit is clicked and typed into; Shift+Tab from the password
# reaches the system choice.
signIn() {
  local user="$1" password="$2" system="$3" shotName="${4:-}"
  login="$(window 请登录)"
  corner "$login"
  local x=$((X + 245))
  click "$x" $((Y + 73))
  keys ctrl+a
  typed "127.0.0.1:$port"
  click "$x" $((Y + 105))
  keys ctrl+a
  typed "$user"
  click "$x" $((Y + 137))
  keys ctrl+a
  typed "$password"
  keys shift+Tab
  if [ "$system" = review ]; then keys Down; else keys Up; fi
  [ -n "$shotName" ] && shotWindow "$shotName" "$login"
  keys Return
}

# --- sign-in and the settings dialog of a first start -------------------------
signIn t01 1 marking signin
settings="$(window 功能设置)"
shotWindow settings "$settings"
corner "$settings"
click $((X + 196)) $((Y + 289)) # 确认

# --- the marking window: a paper, scores and marks ----------------------------
keys F5
sleep 2
click 82 765   # the first score edit (the group bar sits on the left)
typed 3
keys Return
typed 4
click 865 46   # 打叉
click 700 300
click 990 46   # 画框
drag 300 330 900 420
click 904 46   # 打勾
click 640 540
shot marking

# --- the statistics window ------------------------------------------------------
click 195 15   # 统计
stats="$(window 用户统计)"
corner "$stats"
click $((X + 110)) $((Y + 14)) # the second tab, 全局统计
shotWindow statistics "$stats"
keys Escape
# Without a window manager nobody gives the keyboard back to the marking
# window when a window above it closes.
marking="$(window 网上评卷客户端)"
xdotool windowfocus "$marking"

# --- the full sheet with the student's information box covered -----------------
click 414 46   # 全卷显示
sleep 2
shot fullpaper
keys Escape
sleep 1
xdotool windowfocus "$marking"

# --- the review system ----------------------------------------------------------
keys F4
sleep 1
signIn r01 1 review
sleep 2
review="$(window 网上点评客户端)"
xdotool windowfocus "$review"
# Picks the first item of a drop-down list with the keyboard.
pickFirst() { click "$1" 14; keys Return; sleep 1; }
pickFirst 169 # 科目
pickFirst 311 # 班级
pickFirst 470 # 题组
click 50 40   # the first student
shot review 2
