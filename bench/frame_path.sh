#!/usr/bin/env bash
# Builds the benchmarks in Release and prints the frame-path tables: every figure beside its
# same-run reference, as a ratio. Extra arguments go to the frame-path benchmark binary. Takes
# about 6 minutes on a 2-core machine, and 3 more for the GigE cameras' table, which needs root
# (a private network namespace) and is left out without it.
set -euo pipefail
cd "$(dirname "$0")/.."

# --from FILE [GEV_FILE] prints the tables of an earlier run's JSON instead of running anything.
if [ "${1:-}" = "--from" ]; then
  json="$2"
  gev_json="${3:-}"
else
  build=build/bench
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BUILD_TESTS=OFF -DKAVRIN_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target kavrin_bench >/dev/null
  json="$build/frame_path.json"
  "$build/bin/kavrin_bench" --benchmark_out="$json" --benchmark_out_format=json "$@" >/dev/null
  gev_json="$build/gev_cameras.json"
  rm -f "$gev_json"
  if [ "$(id -u)" -eq 0 ] && cmake --build "$build" -j2 --target real_camera_bench >/dev/null 2>&1; then
    "$build/bin/real_camera_bench" --benchmark_out="$gev_json" --benchmark_out_format=json >/dev/null
  fi
  echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
       "load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%Y-%m-%d)"
fi
jq -r '
  def us: .real_time * ({"ns": 0.001, "us": 1, "ms": 1000, "s": 1000000}[.time_unit]);
  def ns: us * 1000;
  def f(d): . * pow(10; d) | round / pow(10; d) | tostring;
  [.benchmarks[] | select(.run_type == "iteration")] as $all
  | def find(name): [$all[] | select(.name | startswith(name))][0];
  "",
  "| image | buffers | path µs/frame | memset µs | streaming stores µs | memcpy µs | path vs fastest write | path vs memcpy | CPU µs/frame | underruns/frame | handoff µs/frame | handoff CPU µs | path vs handoff |",
  "|---|---|---|---|---|---|---|---|---|---|---|---|---|",
  ($all[] | select(.name | startswith("Frames/")) |
    (.name | sub("^Frames/"; "") | sub("/real_time$"; "")) as $args
    | find("Memset/" + $args) as $memset | find("Memcpy/" + $args) as $memcpy
    | find("StreamingWrite/" + $args) as $streaming
    | find("Handoff/" + $args) as $handoff
    | ([($memset | us), ($streaming | us)] | min) as $fastest
    | ($args | capture("w:(?<w>[0-9]+)/h:(?<h>[0-9]+)/bits:(?<b>[0-9]+)/buffers:(?<n>[0-9]+)")) as $a
    | "| \($a.w)x\($a.h) Mono\($a.b) | \($a.n) | \(us | f(2)) | \($memset | us | f(2)) | \($streaming | us | f(2)) | \($memcpy | us | f(2)) | \($fastest / us | f(2)) | \(($memcpy | us) / us | f(2)) | \(.cpu_us_per_frame | f(2)) | \(.underruns_per_frame | f(3)) | \($handoff | us | f(2)) | \($handoff.cpu_us_per_frame | f(2)) | \(($handoff | us) / us | f(2)) |"),
  "",
  "| image, 4 buffers | chunks off µs/frame | chunks on µs/frame | on vs off | CPU µs/frame off | CPU µs/frame on |",
  "|---|---|---|---|---|---|",
  ($all[] | select(.name | startswith("FramesWithChunks/")) |
    (.name | sub("^FramesWithChunks/"; "") | sub("/real_time$"; "")) as $args
    | find("Frames/" + $args) as $off
    | ($args | capture("w:(?<w>[0-9]+)/h:(?<h>[0-9]+)/bits:(?<b>[0-9]+)")) as $a
    | "| \($a.w)x\($a.h) Mono\($a.b) | \($off | us | f(2)) | \(us | f(2)) | \(us / ($off | us) | f(2)) | \($off.cpu_us_per_frame | f(2)) | \(.cpu_us_per_frame | f(2)) |"),
  "",
  "| cameras, 640x480 Mono8, pacing off | frames/s | vs one camera | CPU µs/frame | vs one camera | frames lost/frame |",
  "|---|---|---|---|---|---|",
  (find("Cameras/cameras:1") as $one
    | ($all[] | select(.name | startswith("Cameras/"))
      | "| \(.name | capture("cameras:(?<n>[0-9]+)").n) | \(.frames_per_s | f(0)) | \(.frames_per_s / $one.frames_per_s | f(2)) | \(.cpu_us_per_frame | f(2)) | \(.cpu_us_per_frame / $one.cpu_us_per_frame | f(2)) | \(.lost_per_frame | f(4)) |")),
  "",
  "| call, stream acquiring | ns | × memset of 64 bytes |",
  "|---|---|---|",
  ((find("MemsetOf64Bytes") | ns) as $memset64
  | ("| DSGetBufferInfo (frame ID) | \(find("BufferInfoCall") | ns | f(0)) | \((find("BufferInfoCall") | ns) / $memset64 | f(1)) |",
     "| DSQueueBuffer | \(find("QueueBufferCall") | ns | f(0)) | \((find("QueueBufferCall") | ns) / $memset64 | f(1)) |",
     "| EventGetInfo (number fired) | \(find("EventInfoCall") | ns | f(0)) | \((find("EventInfoCall") | ns) / $memset64 | f(1)) |",
     "| EventGetData, timeout 0, nothing delivered | \(find("EmptyPollCall") | ns | f(0)) | \((find("EmptyPollCall") | ns) / $memset64 | f(1)) |",
     "| memset of 64 bytes (reference) | \($memset64 | f(1)) | 1 |")),
  "",
  "| wake | median µs | max µs | median vs condition variable |",
  "|---|---|---|---|",
  (find("KillToWaiter") as $kill | find("ConditionVariableWake") as $cv
    | "| EventKill → waiter returns | \($kill.median_us | f(1)) | \($kill.max_us | f(1)) | \($kill.median_us / $cv.median_us | f(2)) |",
      "| condition variable wake (reference) | \($cv.median_us | f(1)) | \($cv.max_us | f(1)) | 1 |"),
  "",
  "| DSStopAcquisition during a grab | median µs | max µs |",
  "|---|---|---|",
  ($all[] | select(.name | startswith("StopLatency/")) |
    "| \(.name | capture("StopLatency/(?<r>[0-9]+)").r) fps | \(.median_us | f(0)) | \(.max_us | f(0)) |"),
  "",
  "| stream | CPU share of one core | underruns/s |",
  "|---|---|---|",
  (find("StreamCpu/paced_10fps") | "| paced at 10 fps, consumer requeues | \(.cpu_share * 100 | f(2)) % | \(.underruns_per_s | f(1)) |"),
  (find("StreamCpu/every_buffer_held_30fps") | "| pacing off, consumer holds every buffer (camera at 30 fps) | \(.cpu_share * 100 | f(2)) % | \(.underruns_per_s | f(1)) |")
' "$json"

[ -n "$gev_json" ] && [ -f "$gev_json" ] || exit 0
jq -r '
  def f(d): . * pow(10; d) | round / pow(10; d) | tostring;
  def median: sort | if length % 2 == 1 then .[length / 2 | floor] else (.[length / 2 - 1] + .[length / 2]) / 2 end;
  [.benchmarks[] | select(.run_type == "iteration")] as $all
  | def runs(prefix): [$all[] | select(.name | startswith(prefix))];
  def repetition: .name | capture("repetition:(?<r>[0-9]+)").r;
  def ms_per_image: .cpu_time * ({"ns": 1e-6, "us": 0.001, "ms": 1, "s": 1000}[.time_unit]);
  (runs("MemcpyImage")[0] | ms_per_image) as $memcpy
  | (runs("LargeImages/path:producer") | map({key: repetition, value: ms_per_image}) | from_entries) as $producer
  | (runs("LargeImages/path:aravis") | map({key: repetition, value: ms_per_image}) | from_entries) as $aravis
  | ($producer | keys | map($producer[.] / $aravis[.]) | sort) as $ratios
  | "",
  "| GigE, 1 camera 1920x1080 Mono8 | CPU ms/image (median) | × memcpy of one image |",
  "|---|---|---|",
  "| (a) producer C ABI, Aravis backend | \($producer | [.[]] | median | f(3)) | \(($producer | [.[]] | median) / $memcpy | f(1)) |",
  "| (b) Aravis ArvStream alone | \($aravis | [.[]] | median | f(3)) | \(($aravis | [.[]] | median) / $memcpy | f(1)) |",
  "| (a) over (b), median of \($ratios | length) paired repetitions | \($ratios | median | f(3)) (range \($ratios[0] | f(3)) to \($ratios[-1] | f(3))) | |",
  "",
  "| GigE cameras, 640x480 Mono8 | path | frames/s | vs one camera | CPU µs/frame | vs Aravis alone | frames lost/frame |",
  "|---|---|---|---|---|---|---|",
  (def stat(n; p; field): runs("GevCameras/cameras:\(n)/path:\(p)/") | map(.[field]) | median;
   ["1", "4"][] as $n | ["producer", "aravis"][] as $p
   | "| \($n) | \(if $p == "producer" then "(a) producer" else "(b) Aravis alone" end) | \(stat($n; $p; "frames_per_s") | f(0)) | \(stat($n; $p; "frames_per_s") / stat("1"; $p; "frames_per_s") | f(2)) | \(stat($n; $p; "cpu_us_per_frame") | f(1)) | \(stat($n; $p; "cpu_us_per_frame") / stat($n; "aravis"; "cpu_us_per_frame") | f(2)) | \(stat($n; $p; "lost_per_frame") | f(4)) |")
' "$gev_json"
