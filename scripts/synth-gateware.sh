#!/usr/bin/env bash
# Synthesis and place-and-route of the controller for an iCE40 (Yosys, nextpnr-ice40, icepack from
# Debian's yosys, nextpnr-ice40 and fpga-icestorm): the design must fit and meet its clock (hx8k:
# the parallel Flash bus at 48 MHz; icebreaker: the UP5K board top with the SPI back end at 24 MHz,
# gateware/boards/icebreaker/). Prints the LUT, flip-flop and block-RAM counts and the maximum
# clock; the bitstream is build-synth/top.bin. Not run by CI.
#   scripts/synth-gateware.sh [hx8k|icebreaker]
set -euo pipefail
device=${1:-hx8k}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SYNTH_DIR:-$root/build-synth}
mkdir -p "$out"
sources=("$root"/gateware/tsy_*.v "$root"/gateware/tessary_controller.v)
case "$device" in
    hx8k)
        pnr=(--hx8k --package ct256 --pcf-allow-unconstrained)
        top=synth_top top_sources=("$root/gateware/boards/synth_top.v") freq=48 core_params=""
        ;;
    icebreaker)
        board=$root/gateware/boards/icebreaker
        pnr=(--up5k --package sg48 --pcf "$board/icebreaker.pcf")
        top=icebreaker_top top_sources=("$board/icebreaker_top.v") freq=24
        core_params="chparam -set FLASH_BUS \"spi\" -set CLK_HZ 24000000 tessary_controller;"
        ;;
    *) echo "synth-gateware: hx8k or icebreaker" >&2; exit 2 ;;
esac

# The controller alone (its ports left to the placer as pins would not fit a small package): the
# counts of the core. Then the board top, placed and routed at its clock.
yosys -q -l "$out/core.log" -p "read_verilog ${sources[*]}; $core_params synth_ice40 -top tessary_controller; stat" >/dev/null
yosys -q -l "$out/top.log" \
    -p "read_verilog ${sources[*]} ${top_sources[*]}; synth_ice40 -top $top -json $out/top.json"
nextpnr-ice40 "${pnr[@]}" --json "$out/top.json" --asc "$out/top.asc" --freq "$freq" \
    --log "$out/pnr.log" --quiet
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
sprams=$(grep -E 'ICESTORM_SPRAM' "$out/pnr.log" | tail -1 | sed -E 's/^Info: +//')
[ -z "$sprams" ] || echo "SPRAMs:           $sprams"
echo "max clock:        $fmax MHz (target $freq)"
awk -v f="$fmax" -v t="$freq" 'BEGIN { exit (f >= t) ? 0 : 1 }' || { echo "synth-gateware: timing not met" >&2; exit 1; }
