// A serial (SPI) NOR Flash behind the controller's Intel-style Flash bus: this module answers the
// bus cycles of tsy_registers as an Intel-style x8 chip would and carries them out on an SPI NOR
// chip (mode 0, SCK at half the clock, 3-byte addresses):
//   read array (0xFF)        -> READ 0x03, kept streaming while the reads follow each other,
//                               the next byte clocked in while the bus is quiet
//   read status (0x70)       -> bit 7 ready from the chip's WIP, the error bits kept here
//   clear status (0x50)      -> the kept error bits cleared
//   program (0x40/0x10) byte -> gathered into one page buffer; a page program (WREN, 0x02) of
//                               the bytes that follow each other within one page, written at
//                               the page's end, at an address jump, before any other command or
//                               array read, and once the bus has been quiet for FLUSH_IDLE
//                               cycles (the end of a frame); WIP polled until done
//   block erase (0x20, 0xD0) -> WREN and the 64K 0xD8, 32K 0x52 and 4K 0x20 erases that cover
//                               exactly the block holding the address, WIP polled after each
// Before every command that writes or reads the array, the chip's status (0x05) is read and the
// command goes out only when WIP is clear; a program or erase whose WIP stays set past its
// time-out ends with bit 0 and the program (0x10) or erase (0x20) error bit kept.
//
// Host address 0 is chip address `offset`: nothing below it is ever erased or written.
// At reset the chip is woken from power-down (0xAB) and its JEDEC ID (0x9F) read; the Flash the
// host sees (`size_bytes`) is the chip less the offset, or `max_bytes` when that is smaller (or
// the chip's ID cannot be read). A program or erase at or past that size is refused: nothing
// reaches the chip and the status keeps the error bit and 0x02 (locked), as a locked block's.
// Array reads past it answer 0xFF.
//
// Block layout for the erase (of the host's range of S bytes): 128K blocks, except with
// `top_boot` the top 128K is one 96K block, two 8K parameter blocks and a 16K boot block.
//
// The bus: while a bus cycle (CE# low with OE# or WE# low) waits for the chip, `hold` is high
// and the controller stretches its pulse. A busy erase answers reads with its status (bit 7
// low) at once and ignores writes, as an Intel-style chip does; a page being written holds
// every bus cycle until it is done.
`default_nettype none
module tsy_spi_flash #(
    parameter PROGRAM_TIMEOUT = 240000,   // cycles a page program may take
    parameter ERASE_TIMEOUT   = 150000000, // cycles one sector or block erase may take
    parameter WAKE_CYCLES     = 240,      // after the release from power-down
    parameter FLUSH_IDLE      = 64,       // quiet bus cycles that end a frame's page
    parameter POLL_GAP        = 64        // cycles between two status reads of a busy chip
) (
    input  wire        clk,
    input  wire        rst,
    input  wire [23:0] offset,    // chip address of host address 0, a multiple of 64K
    input  wire [24:0] max_bytes, // the host sees at most this much; 0: all above the offset
    input  wire        top_boot,  // the top 128K as 96K, 8K, 8K and 16K blocks

    // The controller's Intel-style bus.
    input  wire [23:0] addr,
    input  wire        ce_n,
    input  wire        oe_n,
    input  wire        we_n,
    input  wire [7:0]  data_in,
    output reg  [7:0]  data_out,
    output wire        hold,

    output wire [31:0] size_bytes, // the Flash the host sees; 0 until the chip was asked
    output wire        quiet,      // nothing under way, nothing gathered

    output reg         spi_sck  = 1'b0,
    output reg         spi_cs_n = 1'b1,
    output reg         spi_mosi = 1'b0,
    input  wire        spi_miso
);
    localparam [7:0] SPI_READ = 8'h03, SPI_PROGRAM = 8'h02, SPI_WREN = 8'h06,
                     SPI_STATUS = 8'h05, SPI_JEDEC = 8'h9F, SPI_WAKE = 8'hAB,
                     SPI_ERASE_4K = 8'h20, SPI_ERASE_32K = 8'h52, SPI_ERASE_64K = 8'hD8;
    localparam [7:0] ERR_PROGRAM_TIMEOUT = 8'h11, ERR_ERASE_TIMEOUT = 8'h21,
                     ERR_PROGRAM_REFUSED = 8'h12, ERR_ERASE_REFUSED = 8'h22;
    localparam [24:0] K = 25'd1024;
    /* verilator lint_off WIDTH */
    // The one timer is as wide as its longest wait needs.
    localparam integer TIMER_MAX = PROGRAM_TIMEOUT > ERASE_TIMEOUT
                                 ? (PROGRAM_TIMEOUT > WAKE_CYCLES + 64 ? PROGRAM_TIMEOUT
                                                                       : WAKE_CYCLES + 64)
                                 : (ERASE_TIMEOUT > WAKE_CYCLES + 64 ? ERASE_TIMEOUT
                                                                     : WAKE_CYCLES + 64);
    localparam integer TW = $clog2(TIMER_MAX + 1);
    localparam [TW-1:0] PROGRAM_CYCLES = PROGRAM_TIMEOUT, ERASE_CYCLES = ERASE_TIMEOUT,
                        WAKE = WAKE_CYCLES + 64;
    localparam [7:0]  IDLE_CYCLES = FLUSH_IDLE, GAP_CYCLES = POLL_GAP;
    /* verilator lint_on WIDTH */

    // ---- One byte each way, mode 0: MOSI set while SCK is low, MISO taken on its rise ----
    reg [3:0] bits_left = 4'd0;
    /* verilator lint_off UNUSEDSIGNAL */
    reg [7:0] shift_out; // bit 7 is on MOSI already
    /* verilator lint_on UNUSEDSIGNAL */
    reg [7:0] shift_in;
    reg       sent; // the byte under way was started by the sequencer
    task xmit(input [7:0] b);
        begin
            shift_out <= b;
            spi_mosi  <= b[7];
            bits_left <= 4'd8;
            sent      <= 1'b1;
        end
    endtask

    // ---- The page buffer (one block RAM) ----
    reg [7:0] page [0:255];
    reg [7:0] page_q;
    reg [7:0] rd_idx;
    reg       page_we;
    reg [7:0] page_wi, page_wd;
    always @(posedge clk) begin
        if (page_we) page[page_wi] <= page_wd;
        page_q <= page[rd_idx];
    end

    // ---- One SPI transaction: command, address, bytes of the page, bytes read ----
    localparam [2:0] P_CMD = 3'd0, P_A2 = 3'd1, P_A1 = 3'd2, P_A0 = 3'd3, P_OUT = 3'd4,
                     P_IN = 3'd5, P_DONE = 3'd6;
    reg [2:0]  phase;
    reg [7:0]  t_cmd;
    reg [23:0] t_addr;
    reg        t_addr_on, t_keep, capturing;
    reg [8:0]  t_nout;
    reg [1:0]  t_nin;
    reg [7:0]  t_in;     // the last byte read
    reg [2:0]  cs_gap;   // CS# high at least this long between commands

    // ---- The sequencer ----
    localparam [3:0] M_INIT = 4'd0, M_WAKE = 4'd1, M_ID = 4'd2, M_IDLE = 4'd3, M_CHECK = 4'd4,
                     M_CMD = 4'd5, M_STARTED = 4'd6, M_POLLED = 4'd7, M_READ_DONE = 4'd8,
                     M_T_BEGIN = 4'd9, M_T_BYTES = 4'd10, M_AHEAD = 4'd11,
                     M_SIZE = 4'd12, M_LIMIT = 4'd13, M_BLOCK = 4'd14,
                     M_BOUNDS = 4'd15;
    localparam [1:0] OP_NONE = 2'd0, OP_READ = 2'd1, OP_PROGRAM = 2'd2, OP_ERASE = 2'd3;
    reg [3:0]  state = M_INIT, ret;
    reg [1:0]  op;
    reg [TW-1:0] timer;
    reg [7:0]  poll_wait, quiet_count;
    reg        handled;     // the bus cycle under way has been answered
    reg        status_mode, program_next, erase_setup;
    reg        streaming;   // CS# low after a READ, the chip at stream_next
    reg [23:0] stream_next, rd_addr;
    reg        ahead;       // ahead_data holds the byte at ahead_addr, read in advance
    reg [7:0]  ahead_data;
    reg [23:0] ahead_addr;
    reg [8:0]  buf_n;       // bytes gathered, from buf_addr on
    reg [23:0] buf_addr, buf_next;
    reg [24:0] er_addr, er_left, er_taken; // the erase under way takes er_taken bytes
    reg [23:0] er_host;                    // the address the erase was asked for
    reg [24:0] limit;
    reg [7:0]  errors;

    assign size_bytes = {7'd0, limit};
    assign quiet = state == M_IDLE && op == OP_NONE && buf_n == 9'd0;

    wire cycle_read  = !ce_n && !oe_n;
    wire cycle_write = !ce_n && !we_n;
    assign hold = (cycle_read || cycle_write) && !handled;

    wire past_end = {1'b0, addr} >= limit;
    wire is_program_cmd = data_in == 8'h40 || data_in == 8'h10;

    // The block holding `er_host`, in the host's range of `limit` bytes: its start and size
    // (from a register, not from the bus: the bus's decisions do not wait for these sums).
    // The top blocks' bounds are worked out once, after the size.
    reg [24:0] block_start, block_size;
    reg [24:0] top_96k, top_8k, top_16k;
    reg        has_top;
    always @* begin
        if (has_top && {1'b0, er_host} >= top_96k) begin
            if ({1'b0, er_host} >= top_16k) begin
                block_start = top_16k;
                block_size  = 16 * K;
            end else if ({1'b0, er_host} >= top_8k) begin
                block_start = {1'b0, er_host[23:13], 13'd0};
                block_size  = 8 * K;
            end else begin
                block_start = top_96k;
                block_size  = 96 * K;
            end
        end else begin
            block_start = {1'b0, er_host[23:17], 17'd0};
            block_size  = 128 * K;
        end
    end

    // The largest erase that starts at er_addr and stays within the er_left bytes of the block.
    wire        use_64k = er_addr[15:0] == 16'd0 && er_left[24:16] != 9'd0;
    wire        use_32k = er_addr[14:0] == 15'd0 && er_left[24:15] != 10'd0;
    wire [7:0]  er_cmd  = use_64k ? SPI_ERASE_64K : use_32k ? SPI_ERASE_32K : SPI_ERASE_4K;
    wire [24:0] er_step = use_64k ? 64 * K : use_32k ? 32 * K : 4 * K;

    // The JEDEC ID's capacity byte: 2^N bytes, read with 3-byte addresses up to 16 MB.
    wire [7:0]  capacity = t_in; // the third byte of the ID
    wire [24:0] chip_bytes = capacity >= 8'h10 && capacity <= 8'h18 ? 25'd1 << capacity[4:0]
                           : capacity > 8'h18 && capacity < 8'h20 ? 25'd1 << 24 : 25'd0;
    reg  [24:0] chip_size, avail; // one step a cycle: the clock does not wait for the sums

    task transaction(input [7:0] cmd, input with_addr, input [23:0] a, input [8:0] nout,
                     input [1:0] nin, input keep, input [3:0] after);
        begin
            t_cmd     <= cmd;
            t_addr_on <= with_addr;
            t_addr    <= a;
            t_nout    <= nout;
            t_nin     <= nin;
            t_keep    <= keep;
            ret       <= after;
            state     <= M_T_BEGIN;
        end
    endtask
    // Every command that needs the chip idle starts with a status read.
    task begin_op(input [1:0] kind);
        begin
            op <= kind;
            transaction(SPI_STATUS, 1'b0, 24'd0, 9'd0, 2'd1, 1'b0, M_CHECK);
        end
    endtask
    task end_op;
        begin
            if (op == OP_PROGRAM) buf_n <= 9'd0;
            op      <= OP_NONE;
        end
    endtask

    always @(posedge clk) begin
        page_we <= 1'b0;
        if (cs_gap != 3'd0) cs_gap <= cs_gap - 3'd1;
        if (timer != {TW{1'b0}}) timer <= timer - 1'b1;
        if (poll_wait != 8'd0) poll_wait <= poll_wait - 8'd1;
        if (!ce_n) quiet_count <= 8'd0;
        else if (quiet_count != IDLE_CYCLES) quiet_count <= quiet_count + 8'd1;
        if (ce_n || (oe_n && we_n)) handled <= 1'b0;

        if (bits_left != 4'd0) begin
            if (!spi_sck) begin
                spi_sck  <= 1'b1;
                shift_in <= {shift_in[6:0], spi_miso};
            end else begin
                spi_sck   <= 1'b0;
                shift_out <= {shift_out[6:0], 1'b0};
                spi_mosi  <= shift_out[6];
                bits_left <= bits_left - 4'd1;
            end
        end

        if (rst) begin
            state        <= M_INIT;
            spi_cs_n     <= 1'b1;
            spi_sck      <= 1'b0;
            bits_left    <= 4'd0;
            sent         <= 1'b0;
            cs_gap       <= 3'd0;
            op           <= OP_NONE;
            handled      <= 1'b0;
            status_mode  <= 1'b0;
            program_next <= 1'b0;
            erase_setup  <= 1'b0;
            streaming    <= 1'b0;
            ahead        <= 1'b0;
            buf_n        <= 9'd0;
            limit        <= 25'd0;
            has_top      <= 1'b0;
            errors       <= 8'h00;
            timer        <= {TW{1'b0}};
            poll_wait    <= 8'd0;
            data_out     <= 8'hFF;
        end else begin
            case (state)
            M_INIT: begin
                timer <= WAKE;
                transaction(SPI_WAKE, 1'b0, 24'd0, 9'd0, 2'd0, 1'b0, M_WAKE);
            end
            M_WAKE: if (timer == {TW{1'b0}})
                transaction(SPI_JEDEC, 1'b0, 24'd0, 9'd0, 2'd3, 1'b0, M_ID);
            M_ID: begin
                chip_size <= chip_bytes;
                state     <= M_SIZE;
            end
            M_SIZE: begin
                avail <= chip_size > {1'b0, offset} ? chip_size - {1'b0, offset} : 25'd0;
                state <= M_LIMIT;
            end
            M_LIMIT: begin
                if (chip_size != 25'd0)
                    limit <= max_bytes != 25'd0 && max_bytes < avail ? max_bytes : avail;
                else
                    limit <= max_bytes;
                state <= M_BOUNDS;
            end
            M_BOUNDS: begin
                has_top <= top_boot && limit >= 128 * K;
                top_96k <= limit - 128 * K;
                top_8k  <= limit - 32 * K;
                top_16k <= limit - 16 * K;
                state   <= M_IDLE;
            end
            M_IDLE: begin
                if (op == OP_PROGRAM) begin
                    // The page is being written: every bus cycle waits for it.
                    if (poll_wait == 8'd0)
                        transaction(SPI_STATUS, 1'b0, 24'd0, 9'd0, 2'd1, 1'b0, M_POLLED);
                end else if (cycle_read && !handled) begin
                    if (op == OP_ERASE) begin
                        data_out <= {1'b0, errors[6:0]}; // busy: the status, bit 7 low
                        handled  <= 1'b1;
                    end else if (status_mode) begin
                        data_out <= 8'h80 | errors;
                        handled  <= 1'b1;
                    end else if (buf_n != 9'd0) begin
                        begin_op(OP_PROGRAM);
                    end else if (past_end) begin
                        data_out <= 8'hFF;
                        handled  <= 1'b1;
                    end else if (ahead && addr == ahead_addr) begin
                        data_out <= ahead_data; // read while the bus was busy elsewhere
                        handled  <= 1'b1;
                        ahead    <= 1'b0;
                    end else if (streaming && !ahead && addr == stream_next) begin
                        stream_next <= stream_next + 24'd1;
                        t_nin <= 2'd1;
                        t_keep <= 1'b1;
                        phase <= P_IN;
                        ret   <= M_READ_DONE;
                        state <= M_T_BYTES;
                    end else begin
                        rd_addr <= addr;
                        begin_op(OP_READ);
                    end
                end else if (cycle_write && !handled) begin
                    if (op == OP_ERASE) begin
                        if (data_in == 8'h70) status_mode <= 1'b1;
                        handled <= 1'b1; // a busy chip takes no other command
                    end else if (program_next) begin
                        if (buf_n != 9'd0 && addr != buf_next) begin
                            begin_op(OP_PROGRAM); // an address jump ends the page
                        end else if (past_end) begin
                            errors       <= errors | ERR_PROGRAM_REFUSED;
                            program_next <= 1'b0;
                            handled      <= 1'b1;
                        end else begin
                            page_we      <= 1'b1;
                            page_wi      <= buf_n[7:0];
                            page_wd      <= data_in;
                            if (buf_n == 9'd0) buf_addr <= addr;
                            buf_n        <= buf_n + 9'd1;
                            buf_next     <= addr + 24'd1;
                            program_next <= 1'b0;
                            handled      <= 1'b1;
                            if (addr[7:0] == 8'hFF) begin_op(OP_PROGRAM); // the page's end
                        end
                    end else if (buf_n != 9'd0 && !is_program_cmd && data_in != 8'h70) begin
                        begin_op(OP_PROGRAM);
                    end else begin
                        handled     <= 1'b1;
                        erase_setup <= data_in == 8'h20;
                        case (data_in)
                        8'hFF: status_mode <= 1'b0;
                        8'h70: status_mode <= 1'b1;
                        8'h50: errors <= 8'h00;
                        8'h40, 8'h10: begin program_next <= 1'b1; status_mode <= 1'b1; end
                        8'h20: status_mode <= 1'b1;
                        8'hD0: if (erase_setup) begin
                            status_mode <= 1'b1;
                            if (past_end) begin
                                errors <= errors | ERR_ERASE_REFUSED;
                            end else begin
                                er_host <= addr;
                                state   <= M_BLOCK;
                            end
                        end
                        default: ;
                        endcase
                    end
                end else if (op == OP_ERASE && poll_wait == 8'd0) begin
                    transaction(SPI_STATUS, 1'b0, 24'd0, 9'd0, 2'd1, 1'b0, M_POLLED);
                end else if (op == OP_NONE && buf_n != 9'd0 && quiet_count == IDLE_CYCLES) begin
                    begin_op(OP_PROGRAM); // the frame has ended
                end else if (streaming && !ahead && op == OP_NONE && buf_n == 9'd0) begin
                    // Reads tend to follow each other: the next byte is clocked in meanwhile.
                    ahead_addr  <= stream_next;
                    stream_next <= stream_next + 24'd1;
                    t_nin  <= 2'd1;
                    t_keep <= 1'b1;
                    phase  <= P_IN;
                    ret    <= M_AHEAD;
                    state  <= M_T_BYTES;
                end
            end
            M_CHECK: begin
                if (t_in[0]) begin
                    // Still busy from a program or erase that ran out of time: nothing goes out.
                    case (op)
                    OP_READ: begin
                        data_out <= {1'b0, errors[6:0]};
                        handled  <= 1'b1;
                    end
                    OP_PROGRAM: errors <= errors | ERR_PROGRAM_TIMEOUT;
                    default:    errors <= errors | ERR_ERASE_TIMEOUT;
                    endcase
                    end_op;
                    state <= M_IDLE;
                end else if (op == OP_READ) begin
                    streaming   <= 1'b1;
                    stream_next <= rd_addr + 24'd1;
                    transaction(SPI_READ, 1'b1, offset + rd_addr, 9'd0, 2'd1, 1'b1,
                                M_READ_DONE);
                end else begin
                    transaction(SPI_WREN, 1'b0, 24'd0, 9'd0, 2'd0, 1'b0, M_CMD);
                end
            end
            M_CMD: begin
                if (op == OP_PROGRAM)
                    transaction(SPI_PROGRAM, 1'b1, offset + buf_addr, buf_n, 2'd0, 1'b0,
                                M_STARTED);
                else begin
                    er_taken <= er_step;
                    transaction(er_cmd, 1'b1, offset + er_addr[23:0], 9'd0, 2'd0, 1'b0,
                                M_STARTED);
                end
            end
            M_STARTED: begin
                timer     <= op == OP_PROGRAM ? PROGRAM_CYCLES : ERASE_CYCLES;
                poll_wait <= GAP_CYCLES;
                state     <= M_IDLE;
            end
            M_POLLED: begin
                if (!t_in[0]) begin
                    if (op == OP_ERASE && er_left != er_taken) begin
                        er_addr <= er_addr + er_taken;
                        er_left <= er_left - er_taken;
                        state   <= M_CHECK; // WIP was just read clear
                    end else begin
                        end_op;
                        state <= M_IDLE;
                    end
                end else if (timer == {TW{1'b0}}) begin
                    errors <= errors | (op == OP_PROGRAM ? ERR_PROGRAM_TIMEOUT : ERR_ERASE_TIMEOUT);
                    end_op;
                    state <= M_IDLE;
                end else begin
                    poll_wait <= GAP_CYCLES;
                    state     <= M_IDLE;
                end
            end
            M_BLOCK: begin
                er_addr <= block_start;
                er_left <= block_size;
                begin_op(OP_ERASE);
            end
            M_AHEAD: begin
                ahead_data <= t_in;
                ahead      <= 1'b1;
                state      <= M_IDLE;
            end
            M_READ_DONE: begin
                data_out    <= t_in;
                handled     <= 1'b1;
                state       <= M_IDLE;
            end
            M_T_BEGIN: begin
                // A read stream still open ends first; CS# stays high for cs_gap.
                if (!spi_cs_n) begin
                    spi_cs_n  <= 1'b1;
                    streaming <= 1'b0;
                    ahead     <= 1'b0;
                    cs_gap    <= 3'd4;
                end else if (cs_gap == 3'd0) begin
                    spi_cs_n <= 1'b0;
                    rd_idx   <= 8'd0;
                    phase    <= P_CMD;
                    state    <= M_T_BYTES;
                end
            end
            default: begin // M_T_BYTES
                if (bits_left == 4'd0 && sent) begin
                    sent <= 1'b0;
                    if (capturing) t_in <= shift_in;
                end else if (bits_left == 4'd0) begin
                    capturing <= 1'b0;
                    case (phase)
                    P_CMD: begin
                        xmit(t_cmd);
                        phase <= t_addr_on ? P_A2 : t_nout != 9'd0 ? P_OUT
                               : t_nin != 2'd0 ? P_IN : P_DONE;
                    end
                    P_A2: begin xmit(t_addr[23:16]); phase <= P_A1; end
                    P_A1: begin xmit(t_addr[15:8]);  phase <= P_A0; end
                    P_A0: begin
                        xmit(t_addr[7:0]);
                        phase <= t_nout != 9'd0 ? P_OUT : t_nin != 2'd0 ? P_IN : P_DONE;
                    end
                    P_OUT: begin
                        xmit(page_q);
                        rd_idx <= rd_idx + 8'd1;
                        t_nout <= t_nout - 9'd1;
                        if (t_nout == 9'd1) phase <= t_nin != 2'd0 ? P_IN : P_DONE;
                    end
                    P_IN: begin
                        xmit(8'h00);
                        capturing <= 1'b1;
                        t_nin     <= t_nin - 2'd1;
                        if (t_nin == 2'd1) phase <= P_DONE;
                    end
                    default: begin // P_DONE
                        if (!t_keep) begin
                            spi_cs_n <= 1'b1;
                            cs_gap   <= 3'd4;
                        end
                        state <= ret;
                    end
                    endcase
                end
            end
            endcase
        end
    end
endmodule
`default_nettype wire
