#!/usr/bin/env bash
# Loads the LV2 bundle with lilv, the reference LV2 host library, and tries lilv's lv2apply on a file.
# Usage: lv2-host-check.sh BUNDLE_DIR URI INPUT_WAV OUTPUT_WAV
set -u
bundle_dir=$1 uri=$2 input=$3 output=$4
export LV2_PATH=$(dirname "$bundle_dir")

if ! command -v lv2info >/dev/null; then
  echo "SKIP: lv2info (Debian package lilv-utils) is not installed"
  exit 77
fi

info=$(lv2info "$uri" 2>&1) || { echo "lv2info could not load $uri:"; echo "$info"; exit 1; }
for expected in "Name: *Vivera" "Author: *Vidizaridaza" "Has latency: *yes" "Symbol: *audio_in_4" "Symbol: *audio_out_2"; do
  if ! grep -Eq "$expected" <<<"$info"; then
    echo "lv2info output lacks '$expected'"
    exit 1
  fi
done

# Choice parameters must list item indices, matching their index range (0 .. items - 1).
slope=$(sed -n '/^plug:b1_slope$/,/ \.$/p' "$bundle_dir/dsp.ttl" | grep -o 'rdf:value [0-9.]*' | tr '\n' ' ')
if [ "$slope" != "rdf:value 0 rdf:value 1 rdf:value 2 rdf:value 3 rdf:value 4 rdf:value 5 " ]; then
  echo "b1_slope scale points are not item indices: $slope"
  exit 1
fi
echo "lilv loads the bundle: $(grep -c 'Port [0-9]*:' <<<"$info") ports, latency reported, choice lists by index"

if ! command -v lv2apply >/dev/null; then
  echo "SKIP: lv2apply is not installed"
  exit 77
fi
rm -f "$output"
if result=$(lv2apply -i "$input" -o "$output" "$uri" 2>&1); then
  [ -s "$output" ] || { echo "lv2apply wrote no output"; exit 1; }
  echo "lv2apply rendered $output"
  exit 0
fi
if grep -q "unsupported type" <<<"$result"; then
  # lv2apply drives only audio and control ports; every plug-in with an event (atom) port is refused.
  echo "SKIP: lv2apply cannot host plug-ins with atom ports ($result)"
  exit 77
fi
echo "lv2apply failed: $result"
exit 1
