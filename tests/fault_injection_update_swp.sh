#!/usr/bin/env bash
# Stops `quorvel update-swp --yes` at every write, lseek, rename and fsync
# of an update of the sample level (strace's fault injection), once killed
# and once each with ENOSPC and EIO, and checks after every run:
#   - the level's PID, SWP and SPZ are exactly the old ones or exactly the
#     new ones, or (after a kill only) the old PID with spare SWP pages;
#   - `verify` reports no SPZ/SWP size mismatch (except after a kill at the
#     one write between the SWP's growth and the SPZ word, counted apart);
#   - a run without faults afterwards reaches exactly the new level;
#   - a run that left the level unsaved exited non-zero, and an injected
#     error that stopped the save (or the backup before it) was named with
#     its file.
# usage: tests/fault_injection_update_swp.sh QUORVEL [STEP]
#   STEP > 1 tries only every STEP-th call of each kind (the short form).
set -uo pipefail

quorvel=$(realpath "$1")
step=${2:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-faults.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Eight-bit bitmaps for the sample's textures: 64 x 64 ones get mipmaps in
# both packers, so the SWP grows.
mkdir -p "$work/bmp"
python3 - "$work/bmp" <<'PY'
import struct, sys
def bmp(path, size, seed):
    colors = b"".join(bytes([(i * 16 + seed) % 256, (i * 7) % 256, (i * 3 + seed) % 256, 0]) for i in range(16))
    rows = bytes(((x + seed * y) % 16) for y in range(size) for x in range(size))
    offset = 14 + 40 + len(colors)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 8, 0, len(rows), 0, 0, 16, 0)
    open(path, "wb").write(header + info + colors + rows)
for seed, name in enumerate(["buoy", "crate", "gull", "hero", "lamp", "sand", "sky"]):
    bmp(f"{sys.argv[1]}/{name}.bmp", 64 if seed % 2 == 0 else 16, seed + 1)
PY

fresh() {
  rm -rf "$work/run"
  mkdir -p "$work/run"
  cp -r "$root/data/sample/." "$work/run/"
  cp "$root"/data/Quorvel.*.txt "$work/run/" 2>/dev/null || true
}
state() { cat "$work/run/level/harbor-130.pid" "$work/run/install/harbor-130.swp" "$work/run/level/harbor-130.spz" | sha1sum; }
pidState() { sha1sum <"$work/run/level/harbor-130.pid"; }
update() {
  (cd "$work/run" && HALVORN_INSTALLED_DIRECTORY="$work/run/install/" \
    "$@" "$quorvel" update-swp --level "$work/run/level/harbor.scn" --textures "$work/bmp/sky.bmp" --yes \
    >"$work/out.txt" 2>&1)
}
verifyMismatch() {
  (cd "$work/run" && HALVORN_INSTALLED_DIRECTORY="$work/run/install/" \
    "$quorvel" verify --no-verbose --level "$work/run/level/harbor.scn" 2>&1) | grep -c "SWP file will be overwritten"
}

fresh
old=$(state)
oldPid=$(pidState)
update strace -f -qq -y -o "$work/calls.txt" -e trace=write,lseek,rename,renameat,renameat2,fsync
grep -q "done." "$work/out.txt" || { echo "the run without faults failed:"; cat "$work/out.txt"; exit 1; }
new=$(state)
[[ "$old" != "$new" ]] || { echo "the update changed nothing"; exit 1; }

window=0 runs=0 asOld=0 asNew=0 spare=0 mismatches=0 rerunFailures=0 silentFailures=0 unnamed=0 bad=0
for call in write lseek rename fsync; do
  kind="$call\("
  [[ $call == rename ]] && kind="rename(at2?)?\("
  names=$call
  [[ $call == rename ]] && names=rename,renameat,renameat2
  # The numbers of the program's own calls of this kind: a sanitizer
  # runtime probes memory by writing to a pipe of its own and stops the
  # program when such a write fails.
  mapfile -t ours < <(grep -E "^[0-9]+ +$kind" "$work/calls.txt" | awk '!/<pipe:/ { print NR }')
  for ((i = 0; i < ${#ours[@]}; i += step)); do
    k=${ours[i]}
    for fault in signal=SIGKILL error=ENOSPC error=EIO; do
      fresh
      update strace -f -qq -o /dev/null -e trace="$names" -e inject="$names:$fault:when=$k" 2>/dev/null
      rc=$?
      runs=$((runs + 1))
      now=$(state)
      if [[ "$now" == "$old" ]]; then
        asOld=$((asOld + 1))
      elif [[ "$now" == "$new" ]]; then
        asNew=$((asNew + 1))
      elif [[ $fault == signal=SIGKILL && $(pidState) == "$oldPid" ]]; then
        spare=$((spare + 1))
      else
        bad=$((bad + 1))
        echo "MIXED: $call #$k $fault (exit $rc)"
      fi
      if [[ "$now" != "$new" && $rc -eq 0 ]]; then
        silentFailures=$((silentFailures + 1))
        echo "UNSAVED BUT EXIT 0: $call #$k $fault"
      fi
      if [[ $fault != signal=SIGKILL && "$now" != "$new" ]] &&
        ! grep -qE 'could not (open|save) ".*harbor-130\.(pid|swp|spz)": |could not back up the level files: .*"[^"]+"' "$work/out.txt"; then
        unnamed=$((unnamed + 1))
        echo "NO FILE NAMED: $call #$k $fault: $(grep -E 'ERROR|FATAL' "$work/out.txt" | head -2 | tr '\n' ' ')"
      fi
      if [[ $(verifyMismatch) != 0 ]]; then
        # Two files cannot change in one step: a kill right at the write of
        # the SPZ word, after the SWP took its new size, leaves them
        # differing (with the old PID) until the rerun below repairs it.
        if [[ $fault == signal=SIGKILL && $(pidState) == "$oldPid" ]]; then
          window=$((window + 1))
          echo "size mismatch after a kill, old PID (repaired by the rerun): $call #$k"
        else
          mismatches=$((mismatches + 1))
          echo "SPZ/SWP MISMATCH: $call #$k $fault"
        fi
      fi
      update
      if [[ $(state) != "$new" ]]; then
        rerunFailures=$((rerunFailures + 1))
        echo "RERUN DID NOT REACH THE NEW LEVEL: $call #$k $fault"
      fi
    done
  done
done

echo "runs $runs: old $asOld, new $asNew, old PID with spare pages $spare, mixed $bad;" \
  "size mismatches $mismatches (and $window after a kill at the SPZ word), reruns not reaching new $rerunFailures," \
  "unsaved with exit 0 $silentFailures, errors not naming the file $unnamed"
((bad + mismatches + rerunFailures + silentFailures + unnamed == 0))
