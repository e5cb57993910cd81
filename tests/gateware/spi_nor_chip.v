// A serial NOR Flash chip (W25Q16-class, 2 MB: mode 0, 3-byte addresses, 256-byte pages) for
// the SPI back end's bench, as strict as a real part:
//   - it starts in deep power-down: only the release (0xAB) is heard, and nothing else until
//     tRES1 has passed after it;
//   - WREN (0x06) sets the write-enable latch that one page program (0x02) or sector/block erase
//     (0x20 4K, 0x52 32K, 0xD8 64K) uses up; without it they are ignored;
//   - those start when CS# rises after whole bytes and keep WIP (status bit 0) set for their
//     time; a busy chip ignores every command but the status read (0x05);
//   - a page program wraps within its page: bytes past the page's end land at its start, and
//     a program only clears bits;
//   - READ (0x03) and FAST READ (0x0B, one dummy byte) stream for as long as CS# stays low;
//     JEDEC ID (0x9F) answers EF 40 15.
// Beside what a real part does, it keeps what the back end did: every command but the status
// read in a log (opcode, address, data bytes), and counts of the faults a real chip would hide
// or punish: a command while asleep or busy, a command that needs the chip idle before a status
// read had shown WIP clear since the last program or erase, a program or erase without write
// enable or cut mid-byte, a page program crossing its page, and any program or erase below
// `protect_below` (refused).
`timescale 1ns / 1ps
`default_nettype none
module spi_nor_chip #(
    parameter SIZE = 2 * 1024 * 1024,
    parameter LOG_SIZE = 4096
) (
    input  wire sck,
    input  wire cs_n,
    input  wire mosi,
    output reg  miso = 1'b0
);
    reg [7:0] mem [0:SIZE-1];
    // Times in ns: a hundredth of the W25Q16's typical figures.
    real t_res1_ns = 3000.0, t_pp_ns = 7000.0;
    real t_se_ns = 450000.0, t_be32_ns = 1200000.0, t_be64_ns = 1500000.0;
    real busy_until = 0.0, awake_at = 0.0;
    reg  asleep = 1'b1, wel = 1'b0, polled = 1'b0;
    reg  [23:0] protect_below = 24'd0;
    reg  stuck = 1'b0; // set by the bench: the next program or erase never ends

    integer faults_asleep = 0, faults_busy = 0, faults_unpolled = 0, faults_no_wel = 0,
            faults_cut = 0, faults_crossed = 0, faults_protected = 0;

    reg [7:0]  log_cmd  [0:LOG_SIZE-1];
    reg [23:0] log_addr [0:LOG_SIZE-1];
    integer    log_n    [0:LOG_SIZE-1];
    integer    nlog = 0;

    // The transaction under way.
    reg [7:0]  cmd, sr, out_sr, last_out;
    reg [23:0] a;
    integer    bits, nbytes, ndata;
    reg        ignored;
    reg [7:0]  page_data [0:255];
    reg        page_used [0:255];

    // Functions, not wires: time passes without any event.
    function busy(input dummy);
        busy = $realtime < busy_until;
    endfunction
    function [7:0] status(input dummy);
        status = {6'd0, wel, $realtime < busy_until};
    endfunction

    function needs_idle(input [7:0] c);
        needs_idle = c == 8'h03 || c == 8'h0B || c == 8'h02 || c == 8'h06 ||
                     c == 8'h20 || c == 8'h52 || c == 8'hD8;
    endfunction

    always @(negedge cs_n) begin
        bits = 0;
        nbytes = 0;
        ndata = 0;
        ignored = 1'b0;
        out_sr = 8'h00;
    end

    // One whole byte in: the command, its address, its data; the next byte out is chosen here.
    task byte_in(input [7:0] b);
        integer i;
        begin
            // A status byte clocked out in full with WIP clear: the back end has seen it idle.
            if (nbytes >= 1 && cmd == 8'h05 && !ignored && !last_out[0]) polled = 1'b1;
            if (nbytes == 0) begin
                cmd = b;
                if (asleep ? b != 8'hAB : $realtime < awake_at) begin
                    faults_asleep = faults_asleep + 1;
                    ignored = 1'b1;
                end else if (busy(0) && b != 8'h05) begin
                    faults_busy = faults_busy + 1;
                    ignored = 1'b1;
                end else if (needs_idle(b) && !polled) begin
                    faults_unpolled = faults_unpolled + 1;
                end
                if (b == 8'h02) for (i = 0; i < 256; i = i + 1) page_used[i] = 1'b0;
            end else if (!ignored && nbytes <= 3 && cmd != 8'h05 && cmd != 8'h9F) begin
                a = {a[15:0], b};
            end else if (!ignored && cmd == 8'h02) begin
                page_data[(a[7:0] + ndata) % 256] = b; // wraps within the page
                page_used[(a[7:0] + ndata) % 256] = 1'b1;
                ndata = ndata + 1;
            end else if (!ignored && cmd != 8'h05) begin
                ndata = ndata + 1;
            end
            nbytes = nbytes + 1;
            // The byte out next.
            out_sr = 8'h00;
            if (!ignored) case (cmd)
            8'h05: out_sr = status(0);
            8'h9F: out_sr = nbytes == 1 ? 8'hEF : nbytes == 2 ? 8'h40 : 8'h15;
            8'h03: if (nbytes >= 4) begin
                out_sr = mem[(a + nbytes - 4) % SIZE];
            end
            8'h0B: if (nbytes >= 5) begin
                out_sr = mem[(a + nbytes - 5) % SIZE];
            end
            default: ;
            endcase
            last_out = out_sr;
        end
    endtask

    always @(posedge sck) if (!cs_n) begin
        sr = {sr[6:0], mosi};
        bits = bits + 1;
        if (bits == 8) begin
            bits = 0;
            byte_in(sr);
        end
    end
    always @(negedge sck) if (!cs_n) begin
        miso = out_sr[7];
        out_sr = {out_sr[6:0], 1'b0};
    end

    task start_busy(input real ns);
        busy_until = stuck ? 1.0e30 : $realtime + ns;
    endtask

    // CS# rises: the command takes effect.
    always @(posedge cs_n) if (nbytes > 0 && !ignored) begin : finish
        integer i, span;
        if (cmd != 8'h05 && nlog < LOG_SIZE) begin
            log_cmd[nlog] = cmd;
            log_addr[nlog] = a;
            log_n[nlog] = ndata;
            nlog = nlog + 1;
        end
        case (cmd)
        8'hAB: begin asleep = 1'b0; awake_at = $realtime + t_res1_ns; end
        8'h06: if (bits == 0) wel = 1'b1;
        8'h04: if (bits == 0) wel = 1'b0;
        8'h02, 8'h20, 8'h52, 8'hD8: begin
            span = cmd == 8'h02 ? 256 : cmd == 8'h20 ? 4096 : cmd == 8'h52 ? 32768 : 65536;
            if (bits != 0 || nbytes < 4) begin
                faults_cut = faults_cut + 1;
            end else if (!wel) begin
                faults_no_wel = faults_no_wel + 1;
            end else if ((a & ~(span - 1)) < protect_below) begin
                faults_protected = faults_protected + 1;
                wel = 1'b0;
            end else if (cmd == 8'h02) begin
                if (a[7:0] + ndata > 256) faults_crossed = faults_crossed + 1;
                for (i = 0; i < 256; i = i + 1)
                    if (page_used[i]) mem[{a[23:8], i[7:0]}] = mem[{a[23:8], i[7:0]}] & page_data[i];
                wel = 1'b0;
                polled = 1'b0;
                start_busy(t_pp_ns);
            end else begin
                for (i = 0; i < span; i = i + 1) mem[(a & ~(span - 1)) + i] = 8'hFF;
                wel = 1'b0;
                polled = 1'b0;
                start_busy(cmd == 8'h20 ? t_se_ns : cmd == 8'h52 ? t_be32_ns : t_be64_ns);
            end
        end
        default: ;
        endcase
    end
endmodule
`default_nettype wire
