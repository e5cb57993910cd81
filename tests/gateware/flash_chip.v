// An Intel-style x8 NOR Flash chip with the program timing of a real part, for the controller's
// bench: each byte program takes program_ns, the status answers bit 7 low meanwhile and every
// write to the busy chip is refused (and counted). Read array 0xFF, read status 0x70 and
// program 0x40/0x10, taken on the rising edge of WE# with CE# low; the chip never fails, so its
// status has no error bits. (Erases are the host's to wait for; tessary-rtl-board's chip times
// them.)
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
    real      busy_until = 0.0;
    reg       status_mode = 1'b0;
    reg       program_next = 1'b0;
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
            mem[offset]  = mem[offset] & dq_in;
            programmed   = programmed + 1;
            busy_until   = $realtime + program_ns;
        end else begin
            case (dq_in)
            8'h40, 8'h10: begin program_next = 1'b1; status_mode = 1'b1; end
            8'h70: status_mode = 1'b1;
            8'hFF: status_mode = 1'b0;
            default: ;
            endcase
        end
    end

    always @(negedge oe_n) if (!ce_n) begin
        if ($realtime < busy_until) dq_out = 8'h00;
        else if (status_mode) dq_out = 8'h80;
        else dq_out = mem[offset];
    end
endmodule
`default_nettype wire
