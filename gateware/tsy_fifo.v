// Byte FIFO of 2**AW entries in one memory (block RAM where the target has it). `rdata` holds
// the byte taken by `rd` from the cycle after. Writes while full and reads while empty are
// ignored; `clear` empties it.
`default_nettype none
module tsy_fifo #(
    parameter AW = 4
) (
    input  wire        clk,
    input  wire        clear,
    input  wire        wr,
    input  wire [7:0]  wdata,
    input  wire        rd,
    output reg  [7:0]  rdata,
    output wire        empty,
    output wire        full,
    output wire        almost_full // room for one byte at most
);
    reg [7:0]  mem [0:(1 << AW) - 1];
    reg [AW:0] wp;
    reg [AW:0] rp;

    wire [AW:0] used = wp - rp;
    assign empty = (used == 0);
    assign full  = used[AW];
    assign almost_full = (used >= (1 << AW) - 1);

    always @(posedge clk) begin
        if (wr && !full) mem[wp[AW-1:0]] <= wdata;
        if (rd && !empty) rdata <= mem[rp[AW-1:0]];
    end

    always @(posedge clk) begin
        if (clear) begin
            wp <= 0;
            rp <= 0;
        end else begin
            if (wr && !full) wp <= wp + 1'b1;
            if (rd && !empty) rp <= rp + 1'b1;
        end
    end
endmodule
`default_nettype wire
