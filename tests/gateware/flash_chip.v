// An Intel-style x8 NOR Flash chip with the timing of a real part, for the controller's bench:
// each byte program takes program_ns and a block erase erase_ns, the status answers bit 7 low
// meanwhile and every write to the busy chip is refused (and counted). Read array 0xFF, read
// status 0x70, clear status 0x50, program 0x40/0x10, block erase 0x20 0xD0 on blocks of 256
// bytes. Commands are taken on the rising edge of WE# with CE# low.
`timescale 1ns / 1ps
`default_nettype none
module flash_chip #(
    parameter SIZE = 4096
) (
    input  wire [23:0] addr,
    input  wire        ce_n,
    input  wire        oe_n,
    input  wire        we_n,
    input  wire [7:0]  dq_in,
    output reg  [7:0]  dq_out
);
    reg [7:0] mem [0:SIZE-1];
    real      program_ns = 6000.0;
    real      erase_ns   = 100000.0;
    real      busy_until = 0.0;
    reg       status_mode = 1'b0;
    reg       program_next = 1'b0;
    reg       erase_next = 1'b0;
    reg [7:0] errors = 8'h00;
    integer   refused = 0;     // writes while busy
    integer   programmed = 0;  // bytes programmed
    integer   i;

    initial for (i = 0; i < SIZE; i = i + 1) mem[i] = 8'hFF;

    wire [23:0] offset = addr % SIZE;

    always @(posedge we_n) if (!ce_n) begin
        if ($realtime < busy_until) begin
            refused = refused + 1;
        end else if (program_next) begin
            program_next = 1'b0;
            mem[offset]    = mem[offset] & dq_in;
            programmed   = programmed + 1;
            busy_until   = $realtime + program_ns;
        end else if (erase_next) begin
            erase_next = 1'b0;
            if (dq_in == 8'hD0) begin
                for (i = 0; i < 256; i = i + 1) mem[{offset[23:8], 8'd0} + i] = 8'hFF;
                busy_until = $realtime + erase_ns;
            end else begin
                errors = errors | 8'h30;
            end
        end else begin
            case (dq_in)
            8'h40, 8'h10: begin program_next = 1'b1; status_mode = 1'b1; end
            8'h20: begin erase_next = 1'b1; status_mode = 1'b1; end
            8'h70: status_mode = 1'b1;
            8'h50: errors = 8'h00;
            8'hFF: status_mode = 1'b0;
            default: ;
            endcase
        end
    end

    always @(negedge oe_n) if (!ce_n) begin
        if ($realtime < busy_until) dq_out = errors;
        else if (status_mode) dq_out = 8'h80 | errors;
        else dq_out = mem[offset];
    end
endmodule
`default_nettype wire
