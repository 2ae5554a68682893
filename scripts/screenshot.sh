#!/usr/bin/env bash
# Takes a screenshot of the Mivora window on a virtual X display.
#   scripts/screenshot.sh [out.png] [--during-run]
# The window runs over a sample RunDir with generated media. With --during-run
# the script imports the lists and presses Start the way a person would (by
# synthetic mouse and key events) and shoots while the job runs.
# Needs xvfb-run, ImageMagick's import, ffmpeg, python3 and libXtst.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="screenshot.png"
during_run=0
for arg in "$@"; do
  case "$arg" in
    --during-run) during_run=1 ;;
    *) out="$arg" ;;
  esac
done
out="$(realpath -m "$out")"

binary=""
for dir in "${MIVORA_BUILD_DIR:-}" "$here/build" "$here/build-qt"; do
  if [[ -n "$dir" && -x "$dir/src/app/qt/mivora" ]]; then
    binary="$(realpath "$dir/src/app/qt/mivora")"
    break
  fi
done
[[ -n "$binary" ]] || { echo "mivora is not built (set MIVORA_BUILD_DIR)" >&2; exit 1; }

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

make_clip() {  # file seconds source
  mkdir -p "$(dirname "$1")"
  ffmpeg -loglevel error -y -f lavfi -i "$3=s=720x1280:r=30:d=$2" -f lavfi -i "sine=frequency=330:duration=$2" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest "$1"
}
make_clip "$home/测试视频剪辑/风景一.mp4" 12 testsrc2
make_clip "$home/测试视频剪辑/风景二.mp4" 12 testsrc2
make_clip "$home/黑幕特效/黑幕.mp4" 3 color
mkdir -p "$home/music"
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=5" -c:a libmp3lame "$home/music/背景.mp3"

# Clicks and keys through the X test extension. The window sits at (50, 50)
# without a frame on the bare virtual display, so control positions are known.
cat > "$home/drive.py" <<'PY'
import ctypes, sys, time
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
display = ctypes.c_void_p(x11.XOpenDisplay(None))
OX, OY = 50, 50

def flush(pause=0.3):
    x11.XFlush(display)
    time.sleep(pause)

def move(x, y):
    xtst.XTestFakeMotionEvent(display, -1, OX + x, OY + y, 0)
    flush(0.1)

def button(number):
    xtst.XTestFakeButtonEvent(display, number, True, 0)
    xtst.XTestFakeButtonEvent(display, number, False, 0)
    flush()

def click(x, y):
    move(x, y)
    button(1)

def key(name):
    code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
    xtst.XTestFakeKeyEvent(display, code, True, 0)
    xtst.XTestFakeKeyEvent(display, code, False, 0)
    flush()

def page(steps):  # the mouse wheel over the tab bar turns the pages
    move(60, 20)
    for _ in range(abs(steps)):
        button(5 if steps > 0 else 4)

click(5 + 686 + 24, 6 + 34 + 264)      # import the source videos (page 1)
page(3)
click(5 + 686 + 24, 6 + 35 + 264)      # import audio: the dialog opens in the
time.sleep(1.5)                          # working directory, which is the
key("Return")                            # audio folder
time.sleep(1.0)
page(2)
click(5 + 652 + 44, 6 + 306 + 20)      # import the black-screen clips (page 6)
page(-5)
click(768 + 112, 209 + 20)             # Start
PY

# A settings file of its own, so the user's saved choices neither change the
# picture nor are changed by it.
export XDG_CONFIG_HOME="$home/config"
export MIVORA_HOME="$home" MIVORA_BINARY="$binary" DURING_RUN="$during_run" OUT="$out"
xvfb-run -a -s "-screen 0 1100x860x24" bash -c '
  set -e
  cd "$MIVORA_HOME/music"
  "$MIVORA_BINARY" & pid=$!
  sleep 3
  if [[ "$DURING_RUN" == 1 ]]; then
    python3 "$MIVORA_HOME/drive.py"
    sleep 8
  fi
  import -window root "$OUT"
  kill "$pid"
  wait "$pid" || true
  if pgrep -f "$MIVORA_HOME/" >/dev/null; then
    echo "warning: a process under $MIVORA_HOME outlived the window" >&2
  fi
'
echo "$out"
