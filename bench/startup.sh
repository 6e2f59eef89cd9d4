#!/usr/bin/env bash
# Start-up probe: the real program on a fresh default profile and on 50 pages x 100 buttons
# (5,000 commands with real file icons), started on the offscreen platform with
# KESTROLIN_STARTUP_PROBE. Prints the median times from the launch to the window's first paint
# (before the pages load, with the loading gauge) and to its first paint with the pages (every
# tab, the first page's commands and icons), then to the end of loading (the other pages' buttons
# and the quick-launch history, made right after that paint), and the peak memory of each.
# Usage: bench/startup.sh [build folder] [runs]; KEEP_WORK=1 keeps the profiles for a look.
set -euo pipefail
build="${1:-build}"
runs="${2:-5}"
program="$(cd "$build/bin" && pwd)/kestrolin"
work="$(mktemp -d)"
trap '[ -n "${KEEP_WORK:-}" ] && echo "kept $work" >&2 || rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

make_profile() { # folder
    mkdir -p "$1"
    cp "$program" "$(dirname "$program")"/{kestrolin-icons.ico,portable} "$1/"
}

# The big profile: every command a real file of its own type (programs, scripts, texts, pictures).
make_profile "$work/default"
make_profile "$work/big"
mapfile -t files < <(find /usr/bin /usr/share/doc /usr/share/pixmaps /usr/share/icons -maxdepth 3 -type f 2>/dev/null | head -n 5000)
python3 - "$work/big" "${files[@]}" <<'PY'
import sys
folder, files = sys.argv[1], sys.argv[2:]
with open(folder + "/Options.ini", "w", newline="") as f:
    f.write("[PageControl]\r\nColCount=5\r\nCommandsCount=20\r\nPagesCount=50\r\n")
with open(folder + "/Pages.ini", "w", newline="") as f:
    for p in range(50):
        f.write(f"[{p}]\r\nCaption=Страница {p}\r\nImageIndex=-1\r\n\r\n")
with open(folder + "/Commands.ini", "w", newline="") as f:
    for i in range(5000):
        path = files[i % len(files)]
        f.write(f"[{i // 100}\\{i % 100}]\r\nExePath={path}\r\nIconPath={path}\r\nIconIndex=0\r\n"
                f"Description=Команда {i}\r\n\r\n")
PY

run_once() { # folder: one start, its times and peak memory added to folder.runs
    local out printed
    out=$(cd "$1" && /usr/bin/time -f 'rss %M' env KESTROLIN_STARTUP_PROBE=1 ./kestrolin 2>&1 >/dev/null | grep '^rss' || true)
    # The launch time to the microsecond: the kernel knows the process start only to the tick.
    printed=$(cd "$1" && KESTROLIN_STARTUP_PROBE="${EPOCHREALTIME/[.,]/}" ./kestrolin 2>/dev/null)
    echo "$(sed -n 's/^window-ms //p' <<<"$printed") $(sed -n 's/^startup-ms //p' <<<"$printed")" \
        "$(sed -n 's/^loaded-ms //p' <<<"$printed") ${out#rss }" >>"$1.runs"
}

# The two profiles take turns, so that a machine that slows down or speeds up meanwhile weighs on
# both alike.
for _ in $(seq "$runs"); do
    run_once "$work/default"
    run_once "$work/big"
done
python3 - "$work/default.runs" "$work/big.runs" <<'PY'
import statistics, sys
def summary(path):
    rows = [list(map(float, line.split())) for line in open(path) if len(line.split()) == 4]
    medians = [statistics.median(row[i] for row in rows) for i in range(3)]
    return medians + [max(row[3] for row in rows) / 1024]
default, big = summary(sys.argv[1]), summary(sys.argv[2])
for name, (window, paint, loaded, peak) in (("default profile", default), ("50 x 100 profile", big)):
    print(f"{name}: window first painted {window} ms, painted with its pages {paint} ms, "
          f"loaded {loaded} ms, peak memory {peak:.1f} MB")
print(f"ratio of first paints {big[0] / max(1, default[0]):.2f}, of paints with the pages "
      f"{big[1] / max(1, default[1]):.2f} (goal at most 1.30); peak memory goal 40 MB")
PY
