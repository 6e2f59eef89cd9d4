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

measure() { # folder -> "median_window_ms median_paint_ms median_loaded_ms peak_kb"
    local windows=() times=() loads=() peak=0
    for _ in $(seq "$runs"); do
        local out
        out=$(cd "$1" && /usr/bin/time -f 'rss %M' env KESTROLIN_STARTUP_PROBE=1 ./kestrolin 2>&1 >/dev/null | grep '^rss' || true)
        local printed
        # The launch time to the microsecond: the kernel knows the process start only to the tick.
        printed=$(cd "$1" && KESTROLIN_STARTUP_PROBE="${EPOCHREALTIME/[.,]/}" ./kestrolin 2>/dev/null)
        windows+=("$(sed -n 's/^window-ms //p' <<<"$printed")")
        times+=("$(sed -n 's/^startup-ms //p' <<<"$printed")")
        loads+=("$(sed -n 's/^loaded-ms //p' <<<"$printed")")
        local kb=${out#rss }
        [ "${kb:-0}" -gt "$peak" ] && peak=$kb
    done
    median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }
    echo "$(median "${windows[@]}") $(median "${times[@]}") $(median "${loads[@]}") $peak"
}

read -r default_window default_ms default_loaded default_kb < <(measure "$work/default")
read -r big_window big_ms big_loaded big_kb < <(measure "$work/big")
echo "default profile: window first painted ${default_window} ms, painted with its pages ${default_ms} ms, loaded ${default_loaded} ms, peak memory $((default_kb / 1024)) MB"
echo "50 x 100 profile: window first painted ${big_window} ms, painted with its pages ${big_ms} ms, loaded ${big_loaded} ms, peak memory $((big_kb / 1024)) MB"
python3 -c "print(f'ratio of first paints {${big_window}/max(1,${default_window}):.2f}, of paints with the pages {${big_ms}/max(1,${default_ms}):.2f} (goal at most 1.30); peak memory goal 40 MB')"
