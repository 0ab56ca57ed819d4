#!/usr/bin/env bash
# record_playback.sh WINE_RUN PREFIX PROBE ANALYSE WAV [PROBE ARGS...] -- [ANALYSE ARGS...]
# Records the PulseAudio null sink's monitor while bass_probe plays, then
# lets analyse_recording.py judge the recording. Needs the PulseAudio server
# of cmake/test-env.sh (zdv_env_up). Exit code: non-zero on any failure.
set -u
wine_run=$1 prefix=$2 probe=$3 analyse=$4 wav=$5
shift 5
probe_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do probe_args+=("$1"); shift; done
[ $# -gt 0 ] && shift
analyse_args=("$@")

if ! pactl list short sinks 2>/dev/null | grep -q nullsink; then
  echo "no PulseAudio server with the null sink (start it with zdv_env_up, as ./test.sh does)" >&2
  exit 1
fi
mkdir -p "$(dirname "$wav")"
rm -f "$wav"
parec -d nullsink.monitor --latency-msec=20 --file-format=wav "$wav" &
recorder=$!
for _ in $(seq 100); do
  [ -n "$(pactl list short source-outputs 2>/dev/null)" ] && break
  sleep 0.05
done
"$wine_run" "$prefix" "$probe" "${probe_args[@]}"
probe_rc=$?
sleep 0.3
kill -INT "$recorder" 2>/dev/null
wait "$recorder" 2>/dev/null
/usr/bin/python3 "$analyse" "$wav" "${analyse_args[@]}"
analyse_rc=$?
[ "$probe_rc" = 0 ] && [ "$analyse_rc" = 0 ]
