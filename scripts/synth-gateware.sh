#!/usr/bin/env bash
# Synthesis and place-and-route of the controller for an iCE40 (Yosys, nextpnr-ice40, icepack from
# Debian's yosys, nextpnr-ice40 and fpga-icestorm): the design must fit and meet 48 MHz. Prints the
# LUT, flip-flop and block-RAM counts and the maximum clock. Not run by CI.
#   scripts/synth-gateware.sh [hx8k]
set -euo pipefail
device=${1:-hx8k}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SYNTH_DIR:-$root/build-synth}
mkdir -p "$out"
case "$device" in
    hx8k) pnr=(--hx8k --package ct256) ;;
    *) echo "synth-gateware: only hx8k (the UP5K's packages have fewer pins than the Flash bus needs)" >&2; exit 2 ;;
esac
sources=("$root"/gateware/tsy_*.v "$root"/gateware/tessary_controller.v)

# The controller alone (its ports left to the placer as pins would not fit a small package): the
# counts of the core. Then the board top, placed and routed at 48 MHz.
yosys -q -l "$out/core.log" -p "read_verilog ${sources[*]}; synth_ice40 -top tessary_controller; stat" >/dev/null
yosys -q -l "$out/top.log" \
    -p "read_verilog ${sources[*]} $root/gateware/boards/synth_top.v; synth_ice40 -top synth_top -json $out/top.json"
nextpnr-ice40 "${pnr[@]}" --json "$out/top.json" --asc "$out/top.asc" --freq 48 \
    --pcf-allow-unconstrained --log "$out/pnr.log" --quiet
icepack "$out/top.asc" "$out/top.bin"

count() { grep -E "^\s+$1\s" "$out/core.log" | tail -1 | awk '{print $2}'; }
luts=$(count SB_LUT4)
ffs=$(grep -E "^\s+SB_DFF" "$out/core.log" | awk '{n[$1]=$2} END {s=0; for (k in n) s+=n[k]; print s}')
brams=$(count SB_RAM40_4K)
fmax=$(grep -E "Max frequency for clock" "$out/pnr.log" | tail -1 | sed -E 's/.*: ([0-9.]+) MHz.*/\1/')
echo "device:           $device"
echo "controller LUTs:  $luts"
echo "controller FFs:   $ffs"
echo "controller BRAMs: $brams (4 Kbit each)"
echo "placed design:    $(grep -A12 'Device utilisation' "$out/pnr.log" | grep -E 'ICESTORM_LC|ICESTORM_RAM' | sed -E 's/^Info: +//' | tr '\n' ';')"
echo "max clock:        $fmax MHz (target 48)"
awk -v f="$fmax" 'BEGIN { exit (f >= 48) ? 0 : 1 }' || { echo "synth-gateware: timing not met" >&2; exit 1; }
