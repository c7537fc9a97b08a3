#!/usr/bin/env bash
# Looks at the assembled dist/ the way an administrator's share receives it:
# every program the build ships is there, carries no debug sections, stays
# under the size limit, and names a symbol file that the build tree keeps.
#   check_dist.sh <dist-dir> <programs-list> <symbols-dir> <objdump>
set -uo pipefail
dist="$1" list="$2" symbols="$3" objdump="$4"
limit=$((400 * 1024))
faults=0
fault() { echo "FAIL $1"; faults=$((faults + 1)); }

mapfile -t programs < <(grep -v '^$' "$list")
[ ${#programs[@]} -gt 0 ] || fault "$list names no programs"

for name in "${programs[@]}"; do
  file="$dist/$name"
  if [ ! -f "$file" ]; then
    fault "$name: expected in $dist, not there"
    continue
  fi
  size=$(stat -c %s "$file")
  [ "$size" -le "$limit" ] || fault "$name: expected at most $limit bytes, is $size"
  headers=$("$objdump" -h "$file")
  sections=$(awk '$2 ~ /^\./ {print $2}' <<<"$headers")
  code=$(awk '$2 == ".text" {print $3}' <<<"$headers")
  debug=$(grep '^\.debug_' <<<"$sections" | tr '\n' ' ')
  [ -z "$debug" ] || fault "$name: expected no debug sections, has $debug"
  grep -qx '\.gnu_debuglink' <<<"$sections" || fault "$name: expected a .gnu_debuglink section, has none"
  kept="$symbols/$name.debug"
  if [ ! -f "$kept" ]; then
    fault "$name: expected its symbols in $kept, not there"
  elif [ "$((16#${code:-0}))" -gt 256 ] && ! "$objdump" -h "$kept" | grep -q ' \.debug_info '; then
    # A module without code (the message file: its .text is the linker's few
    # bytes of padding) has no lines to map a crash address back to.
    fault "$name: expected $kept to hold .debug_info, it does not"
  fi
  echo "$name: $size bytes"
done

[ "$faults" -eq 0 ] || { echo "$faults fault(s) in $dist"; exit 1; }
echo "dist: ${#programs[@]} programs, all stripped, each under $limit bytes, symbols kept in $symbols"
