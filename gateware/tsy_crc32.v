// CRC-32 of the Ethernet (IEEE 802.3, as zlib computes it: reflected polynomial 0xEDB88320,
// register all ones at the start, complemented at the end), one byte a clock: `clear` starts a
// new sum, `take` adds `data` to it, `value` is the sum of the bytes taken since ("123456789"
// gives 0xCBF43926).
`default_nettype none
module tsy_crc32 (
    input  wire        clk,
    input  wire        clear,
    input  wire        take,
    input  wire [7:0]  data,
    output wire [31:0] value
);
    localparam [31:0] POLYNOMIAL = 32'hEDB88320;

    // The register after one byte, its bits least significant first.
    function [31:0] next;
        input [31:0] crc;
        input [7:0]  byte_in;
        integer bit_n;
        begin
            next = crc ^ {24'd0, byte_in};
            for (bit_n = 0; bit_n < 8; bit_n = bit_n + 1)
                next = next[0] ? (next >> 1) ^ POLYNOMIAL : next >> 1;
        end
    endfunction

    reg [31:0] crc;
    always @(posedge clk) begin
        if (clear) crc <= 32'hFFFFFFFF;
        else if (take) crc <= next(crc, data);
    end
    assign value = ~crc;
endmodule
`default_nettype wire
