// The memory controller's eight registers, from `base` (a multiple of 8) on:
//   +0 control   0xFF idle; 0xF5 then 0xF7 writes the command byte to the Flash;
//                0xF6 lets reads of +5 see the Flash's status
//   +1..+3       address bits 0-7, 8-15, 16-23
//   +4           Flash command byte
//   +5           Flash status (0x00 unless control holds 0xF6)
//   +6           RAM data      } every access advances the address by one,
//   +7           Flash data    } wrapping from 0xFFFFFF to 0
// Registers outside the block ignore writes and read as 0xFF.
//
// One access at a time: `req` for one cycle, then `ack` for one cycle when it is done (`rdata`
// valid with it for reads).
//
// RAM port: synchronous. `ram_en` is high for one cycle with `ram_addr` (and `ram_we`,
// `ram_wdata` for a write); read data is taken at the end of the RAM_LATENCY-th cycle after it
// (1: a block RAM's registered output).
//
// Flash port: an Intel-style asynchronous bus. Each bus cycle holds CE# low with the address
// (and for a write the data) one cycle before and one cycle after a WE# or OE# pulse of
// FLASH_PULSE cycles, longer while `flash_hold` is high (a chip that is not ready to answer);
// read data is taken in the last cycle of the OE# pulse. A data write is
// two bus cycles, the program command 0x40 and the byte, then status reads, one bus cycle each,
// until the chip reports ready (bit 7) or PROGRAM_TIMEOUT cycles have gone by: the write is done
// (acknowledged) only then, so the next byte never reaches a chip still programming. The chip
// answers its status after an erase or a program until it is told to read its array.
//
// The error bits of the status that ended each program wait (erase, program, Vpp, locked) are
// kept, and a wait that ran out sets bit 4 (program error) and bit 0 (the chip never became
// ready). A read of +5 returns them, ORed into the chip's status while control holds 0xF6;
// a command strobe of clear status (0x50) clears them with the chip's own.
`default_nettype none
module tsy_registers #(
    parameter FLASH_PULSE     = 6,
    parameter RAM_LATENCY     = 1,
    parameter PROGRAM_TIMEOUT = 48000 // cycles a byte program may take, below 2**20
) (
    input  wire        clk,
    input  wire        rst,
    /* verilator lint_off UNUSEDSIGNAL */
    input  wire [7:0]  base, // bits 2..0 are not looked at
    /* verilator lint_on UNUSEDSIGNAL */

    input  wire        req,
    input  wire        we,
    input  wire [7:0]  addr,
    input  wire [7:0]  wdata,
    output reg         ack,
    output reg  [7:0]  rdata,

    output reg  [23:0] ram_addr,
    output reg  [7:0]  ram_wdata,
    output reg         ram_en,
    output reg         ram_we,
    input  wire [7:0]  ram_rdata,

    output wire [23:0] flash_addr,
    // High from configuration on: no bus cycle before the first clock with reset.
    output reg         flash_ce_n = 1'b1,
    output reg         flash_oe_n = 1'b1,
    output reg         flash_we_n = 1'b1,
    output reg  [7:0]  flash_dq_o,
    output reg         flash_dq_oe = 1'b0,
    input  wire [7:0]  flash_dq_i,
    input  wire        flash_hold // the chip stretches the OE#/WE# pulse while high
);
    localparam [7:0] CONTROL_STROBE_ON  = 8'hF5;
    localparam [7:0] CONTROL_STROBE_OFF = 8'hF7;
    localparam [7:0] CONTROL_STATUS     = 8'hF6;
    localparam [7:0] FLASH_PROGRAM      = 8'h40;
    localparam [7:0] FLASH_CLEAR_STATUS = 8'h50;
    localparam [7:0] STATUS_ERRORS      = 8'h3A; // erase, program, Vpp, locked
    localparam [7:0] STATUS_TIMED_OUT   = 8'h11; // program error, never ready

    localparam [2:0] S_IDLE = 3'd0, S_RAM = 3'd1, S_SETUP = 3'd2, S_PULSE = 3'd3,
                     S_HOLD = 3'd4;

    reg [7:0]  control;
    reg [7:0]  command;
    reg [23:0] address;
    reg [2:0]  state;
    reg [7:0]  wait_count;
    reg        cycle_write;  // the Flash bus cycle under way writes
    reg        program_next; // a program command went out; its data byte follows
    reg [7:0]  program_data;
    reg        advance;      // the access steps the address on when done
    reg        polling;      // the byte went out: status reads until the chip is ready
    reg [19:0] poll_left;    // cycles the chip may still take
    reg [7:0]  errors;       // error bits kept from the program waits

    assign flash_addr = address;

    wire       in_block = (addr[7:3] == base[7:3]);
    wire [2:0] offset   = addr[2:0];

    always @(posedge clk) begin
        ack    <= 1'b0;
        ram_en <= 1'b0;
        if (rst) begin
            control     <= 8'hFF;
            command     <= 8'hFF;
            address     <= 24'd0;
            state       <= S_IDLE;
            flash_ce_n  <= 1'b1;
            flash_oe_n  <= 1'b1;
            flash_we_n  <= 1'b1;
            flash_dq_oe <= 1'b0;
            flash_dq_o  <= 8'hFF;
            ram_we      <= 1'b0;
            program_next <= 1'b0;
            advance     <= 1'b0;
            polling     <= 1'b0;
            errors      <= 8'h00;
        end else begin
            if (poll_left != 20'd0) poll_left <= poll_left - 20'd1;
            case (state)
            S_IDLE: if (req) begin
                advance      <= 1'b0;
                program_next <= 1'b0;
                if (!in_block) begin
                    rdata <= 8'hFF;
                    ack   <= 1'b1;
                end else if (we) begin
                    case (offset)
                    3'd0: begin
                        control <= wdata;
                        // The command reaches the Flash on the edge that ends the strobe.
                        if (wdata == CONTROL_STROBE_OFF && control == CONTROL_STROBE_ON) begin
                            if (command == FLASH_CLEAR_STATUS) errors <= 8'h00;
                            flash_dq_o  <= command;
                            cycle_write <= 1'b1;
                            state       <= S_SETUP;
                        end else begin
                            ack <= 1'b1;
                        end
                    end
                    3'd1: begin address[7:0]   <= wdata; ack <= 1'b1; end
                    3'd2: begin address[15:8]  <= wdata; ack <= 1'b1; end
                    3'd3: begin address[23:16] <= wdata; ack <= 1'b1; end
                    3'd4: begin command <= wdata; ack <= 1'b1; end
                    3'd5: ack <= 1'b1; // the status register cannot be written
                    3'd6: begin
                        ram_en    <= 1'b1;
                        ram_we    <= 1'b1;
                        ram_addr  <= address;
                        ram_wdata <= wdata;
                        address   <= address + 24'd1;
                        ack       <= 1'b1;
                    end
                    default: begin
                        flash_dq_o   <= FLASH_PROGRAM;
                        program_data <= wdata;
                        program_next <= 1'b1;
                        advance      <= 1'b1;
                        cycle_write  <= 1'b1;
                        state        <= S_SETUP;
                    end
                    endcase
                end else begin
                    case (offset)
                    3'd0: begin rdata <= control;         ack <= 1'b1; end
                    3'd1: begin rdata <= address[7:0];    ack <= 1'b1; end
                    3'd2: begin rdata <= address[15:8];   ack <= 1'b1; end
                    3'd3: begin rdata <= address[23:16];  ack <= 1'b1; end
                    3'd4: begin rdata <= command;         ack <= 1'b1; end
                    3'd5: begin
                        // The status drives the bus only while the control register asks.
                        if (control == CONTROL_STATUS) begin
                            cycle_write <= 1'b0;
                            state       <= S_SETUP;
                        end else begin
                            rdata <= errors;
                            ack   <= 1'b1;
                        end
                    end
                    3'd6: begin
                        ram_en     <= 1'b1;
                        ram_we     <= 1'b0;
                        ram_addr   <= address;
                        wait_count <= RAM_LATENCY[7:0];
                        state      <= S_RAM;
                    end
                    default: begin
                        cycle_write <= 1'b0;
                        advance     <= 1'b1;
                        state       <= S_SETUP;
                    end
                    endcase
                end
            end
            S_RAM: begin
                if (wait_count == 8'd0) begin
                    rdata   <= ram_rdata;
                    address <= address + 24'd1;
                    ack     <= 1'b1;
                    state   <= S_IDLE;
                end else begin
                    wait_count <= wait_count - 8'd1;
                end
            end
            S_SETUP: begin
                flash_ce_n  <= 1'b0;
                flash_dq_oe <= cycle_write;
                wait_count  <= FLASH_PULSE[7:0];
                state       <= S_PULSE;
            end
            S_PULSE: begin
                if (cycle_write) flash_we_n <= 1'b0;
                else flash_oe_n <= 1'b0;
                if (wait_count == 8'd0 && !flash_hold) begin
                    flash_we_n <= 1'b1;
                    flash_oe_n <= 1'b1;
                    // The status read of +5 shows the kept error bits too.
                    if (!cycle_write) rdata <= advance ? flash_dq_i : flash_dq_i | errors;
                    state <= S_HOLD;
                end else if (wait_count != 8'd0) begin
                    wait_count <= wait_count - 8'd1;
                end
            end
            default: begin // S_HOLD
                flash_ce_n  <= 1'b1;
                flash_dq_oe <= 1'b0;
                if (program_next) begin
                    program_next <= 1'b0;
                    polling      <= 1'b1;
                    poll_left    <= PROGRAM_TIMEOUT[19:0];
                    flash_dq_o   <= program_data;
                    state        <= S_SETUP;
                end else if (polling && !cycle_write && !rdata[7] && poll_left != 20'd0) begin
                    state <= S_SETUP; // still programming: read the status again
                end else if (polling && cycle_write) begin
                    cycle_write <= 1'b0; // the byte went out: the first status read
                    state       <= S_SETUP;
                end else begin
                    if (polling) begin
                        polling <= 1'b0;
                        errors  <= errors | (rdata[7] ? rdata & STATUS_ERRORS : STATUS_TIMED_OUT);
                    end
                    if (advance) address <= address + 24'd1;
                    ack   <= 1'b1;
                    state <= S_IDLE;
                end
            end
            endcase
        end
    end
endmodule
`default_nettype wire
