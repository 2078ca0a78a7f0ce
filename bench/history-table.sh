#!/usr/bin/env bash
# Measures the real executable with large histories, as a user who keeps everything would see it: time until the
# first command is answered (the first start, which upgrades the stored entries, and a later one), resident
# memory after start and its peak while the history is written, and what one capture costs on disk and in CPU.
#
#   bash bench/history-table.sh [BUILD_DIR] [--texts 10000,100000] [--images 105] [--repeats 3]
#
# Each history is written by `stowline-bench write-history` into a private XDG data home; the run happens in a
# private desktop session (Xvfb, session bus). Every figure is printed with the load average at that moment.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${STOWLINE_TABLE_SESSION:-}" ]; then
    export STOWLINE_TABLE_SESSION=1
    exec bash "$here/../scripts/with-desktop-session.sh" bash "$0" "$@"
fi

build=$(cd "${1:-$here/../build}" && pwd)
[ $# -gt 0 ] && shift
texts="10000,100000"
images=105
repeats=3
while [ $# -gt 0 ]; do
    case "$1" in
    --texts) texts=$2; shift 2 ;;
    --images) images=$2; shift 2 ;;
    --repeats) repeats=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
done

stowline="$build/stowline"
bench="$build/stowline-bench"
folder="$XDG_DATA_HOME/org.stowline.Stowline"
hz=$(getconf CLK_TCK)

now_ms() { echo $(($(date +%s%N) / 1000000)); }
load() { cut -d' ' -f1-3 /proc/loadavg; }
kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status" 2>/dev/null || true; }
cpu_ms() { awk -v hz="$hz" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$1/stat"; }
io() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/io"; }
files_bytes() { { stat -c %s "$folder"/history-*.stwl* 2>/dev/null || true; } | awk '{ s += $1 } END { print s + 0 }'; }
stamp() { { stat -c %Y%N "$folder"/history-*.stwl* 2>/dev/null || true; } | md5sum; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }

# Waits until the process has used no CPU for `quiet` ms in a row (its start-up and saves are over).
settle() {
    local pid=$1 quiet=${2:-1000} last now since
    last=$(cpu_ms "$pid")
    since=$(now_ms)
    while [ $(($(now_ms) - since)) -lt "$quiet" ]; do
        sleep 0.1
        now=$(cpu_ms "$pid")
        if [ "$now" != "$last" ]; then
            last=$now
            since=$(now_ms)
        fi
    done
}

# Starts the instance in the background and prints "pid milliseconds-until-status-answered".
start_and_time() {
    local begin pid
    begin=$(now_ms)
    "$stowline" --background >>"$XDG_RUNTIME_DIR/stowline.log" 2>&1 &
    pid=$!
    until "$stowline" status >/dev/null 2>&1; do
        sleep 0.02
        kill -0 "$pid" 2>/dev/null || { echo "stowline ended at start" >&2; cat "$XDG_RUNTIME_DIR/stowline.log" >&2; exit 1; }
    done
    echo "$pid $(($(now_ms) - begin))"
}

# Quits through the command line while sampling the peak memory; prints the last peak seen (KiB).
quit_and_peak() {
    local pid=$1 peak=0 value
    "$stowline" quit >/dev/null &
    local asker=$!
    while kill -0 "$pid" 2>/dev/null; do
        value=$(kib "$pid" VmHWM)
        [ -n "$value" ] && peak=$value
        sleep 0.02
    done
    wait "$asker" || true
    wait "$pid" 2>/dev/null || true
    echo "$peak"
}

median() { tr ' ' '\n' | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

measure() {
    local name=$1 count=$2 imageCount=$3
    rm -rf "$folder" "$XDG_CONFIG_HOME/org.stowline.Stowline"
    mkdir -p "$folder"
    [ "$count" -gt 0 ] || [ "$imageCount" -gt 0 ] && "$bench" write-history "$folder" "$count" "$imageCount" >/dev/null
    local archive
    archive=$(files_bytes)

    # First start: stored entries written by an older version are upgraded.
    local pid first
    read -r pid first < <(start_and_time)
    local firstLoad
    firstLoad=$(load)
    settle "$pid"
    local firstRss firstHwm
    firstRss=$(kib "$pid" VmRSS)
    firstHwm=$(kib "$pid" VmHWM)
    quit_and_peak "$pid" >/dev/null

    # Later starts.
    local times=() startLoad
    for ((i = 0; i < repeats; ++i)); do
        read -r pid first_later < <(start_and_time)
        times+=("$first_later")
        startLoad=$(load)
        if [ "$i" -lt $((repeats - 1)) ]; then
            settle "$pid"
            quit_and_peak "$pid" >/dev/null
        fi
    done
    local later
    later=$(echo "${times[*]}" | median)
    settle "$pid"
    local rss hwm
    rss=$(kib "$pid" VmRSS)
    hwm=$(kib "$pid" VmHWM)

    # One capture: bytes the files grew or were replaced by, bytes handed to write(), CPU of the whole process.
    local beforeFiles beforeWritten beforeCpu stamp
    beforeFiles=$(files_bytes)
    beforeWritten=$(io "$pid" wchar)
    beforeCpu=$(cpu_ms "$pid")
    stamp=$(stamp)
    printf 'a new clip for the table %s' "$(date +%s%N)" | xclip -selection clipboard
    local waited=0
    until [ "$(stamp)" != "$stamp" ]; do
        sleep 0.05
        waited=$((waited + 1))
        [ "$waited" -lt 400 ] || { echo "capture never reached the disk" >&2; break; }
    done
    settle "$pid" 700
    local captureLoad captureCpu captureWrite afterFiles
    captureLoad=$(load)
    captureCpu=$(($(cpu_ms "$pid") - beforeCpu))
    captureWrite=$(($(io "$pid" wchar) - beforeWritten))
    afterFiles=$(files_bytes)
    local quitPeak
    quitPeak=$(quit_and_peak "$pid")

    printf '| %s | %s MB | %s ms (load %s) | %s ms (median of %s, load %s) | %s MB (first start %s MB, peak %s MB) | %s MB | %s B written, files %+d B, %s ms CPU (load %s) |\n' \
        "$name" "$(mb "$archive")" "$first" "$firstLoad" "$later" "$repeats" "$startLoad" \
        "$(mb $((rss * 1024)))" "$(mb $((firstRss * 1024)))" "$(mb $((firstHwm * 1024)))" \
        "$(mb $((quitPeak * 1024)))" "$captureWrite" $((afterFiles - beforeFiles)) "$captureCpu" "$captureLoad"
}

echo "build: $build (executable of $(date -u -r "$stowline" +%FT%TZ)), run $(date -u +%FT%TZ), $(nproc) cores"
echo '| History | Archive | First start: first answer | Later start: first answer | Resident after start | Peak at quit (compaction) | One capture |'
echo '|---|---|---|---|---|---|---|'
measure "empty" 0 0
IFS=',' read -r -a counts <<<"$texts"
for count in "${counts[@]}"; do
    measure "$count texts" "$count" 0
done
[ "$images" -gt 0 ] && measure "$images screenshots of 1 MB" 0 "$images"
exit 0
