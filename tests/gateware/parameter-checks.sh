#!/usr/bin/env bash
# Settings of tessary_controller that cannot work stop its elaboration in Verilator, Icarus and
# (where installed) Yosys, each with the name of the broken rule; settings that work elaborate.
#   tests/gateware/parameter-checks.sh GATEWARE_DIR WORK_DIR
set -uo pipefail
gateware=$1
work=$2
mkdir -p "$work"
sources=("$gateware"/tsy_*.v "$gateware"/tessary_controller.v)
failures=0

# elaborate TOOL PARAM=VALUE...: the tool's output; its status is the tool's.
elaborate() {
    local tool=$1
    shift
    local args=()
    case "$tool" in
    verilator)
        for p in "$@"; do args+=("-G$p"); done
        verilator --lint-only -Wall -Wno-DECLFILENAME --top-module tessary_controller \
            "${args[@]}" "${sources[@]}" 2>&1
        ;;
    iverilog)
        for p in "$@"; do args+=("-Ptessary_controller.$p"); done
        iverilog -g2005 -s tessary_controller -o "$work/elaborated.vvp" "${args[@]}" \
            "${sources[@]}" 2>&1
        ;;
    yosys)
        for p in "$@"; do args+=("chparam -set ${p%%=*} ${p#*=} tessary_controller;"); done
        yosys -q -p "read_verilog ${sources[*]}; ${args[*]} hierarchy -check -top tessary_controller" 2>&1
        ;;
    esac
}

tools=(verilator iverilog)
command -v yosys >/dev/null && tools+=(yosys)

# refused RULE PARAM=VALUE...: every tool refuses, naming RULE.
refused() {
    local rule=$1
    shift
    for tool in "${tools[@]}"; do
        if output=$(elaborate "$tool" "$@"); then
            echo "FAIL: $tool accepted $*"
            failures=$((failures + 1))
        elif ! grep -q "tessary_controller_$rule" <<<"$output"; then
            echo "FAIL: $tool refused $* without naming $rule:"
            echo "$output" | head -5
            failures=$((failures + 1))
        fi
    done
}

# accepted PARAM=VALUE...: every tool elaborates it.
accepted() {
    for tool in "${tools[@]}"; do
        if ! output=$(elaborate "$tool" "$@"); then
            echo "FAIL: $tool refused $*:"
            echo "$output" | head -5
            failures=$((failures + 1))
        fi
    done
}

accepted CLK_HZ=48000000 BAUD=115200
accepted CLK_HZ=12000000 BAUD=3000000
accepted CLK_HZ=16000000 BAUD=2000000 FLASH_PULSE=1
refused baud_rate_off_by_more_than_2_percent CLK_HZ=16000000 BAUD=3000000
refused needs_at_least_4_clock_cycles_a_bit CLK_HZ=12000000 BAUD=4000000
refused needs_at_most_65535_clock_cycles_a_bit CLK_HZ=48000000 BAUD=300
refused flash_pulse_must_be_1_to_255 FLASH_PULSE=0
refused program_timeout_must_be_1_to_1048575_cycles CLK_HZ=100000000 PROGRAM_TIMEOUT_US=20000
refused register_base_must_be_a_multiple_of_8_to_248 REG_BASE=12
refused max_payload_must_be_65_to_255 MAX_PAYLOAD=300
accepted 'FLASH_BUS="spi"' FLASH_OFFSET=1048576 FLASH_SIZE=524288
refused flash_bus_must_be_parallel_or_spi 'FLASH_BUS="serial"'
refused flash_offset_must_be_a_multiple_of_64k_below_16m 'FLASH_BUS="spi"' FLASH_OFFSET=4096
refused flash_offset_must_be_a_multiple_of_64k_below_16m 'FLASH_BUS="spi"' FLASH_OFFSET=16777216
accepted 'IDENTITY="An identity of 28 characters"'
refused identity_longer_than_28_characters 'IDENTITY="An identity of 29 characters!"'

[ "$failures" -eq 0 ] && echo "PASS (${tools[*]})"
exit $((failures != 0))
