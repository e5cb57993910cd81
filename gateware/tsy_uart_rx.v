// UART receiver, 8 data bits, no parity, 1 stop bit. `div` is the number of clock cycles per
// bit (at least 4). Each received byte is presented for one cycle on `valid`; a byte whose stop
// bit is low is dropped and reported on `error` instead.
//
// Every bit is sampled at its middle: the line is also taken on the falling clock edge, which
// tells in which half of a cycle the start bit began, so the samples lie within a quarter of a
// cycle of the bits' middles on average (37.5-62.5% of the bit at 4 cycles a bit) instead of
// up to a whole cycle late.
`default_nettype none
module tsy_uart_rx (
    input  wire        clk,
    input  wire        rst,
    input  wire [15:0] div,
    input  wire        rx,
    output reg         valid,
    output reg  [7:0]  data,
    output reg         error,
    output wire        busy
);
    reg [2:0]  sync;
    reg        rx_fall = 1'b1; // the line half a cycle before each rising edge
    reg [2:0]  sync_fall;      // those samples, in step with `sync`
    reg [15:0] count;
    reg [3:0]  bitn;
    reg        active;
    reg [7:0]  shift;

    wire line = sync[2];
    assign busy = active;
    // The start bit began in the first half of the cycle in which it was seen: with an even
    // divisor its middle comes one cycle sooner.
    wire early = !sync_fall[2] && !div[0];

    always @(negedge clk) rx_fall <= rx;

    always @(posedge clk) begin
        sync  <= {sync[1:0], rx};
        sync_fall <= {sync_fall[1:0], rx_fall};
        valid <= 1'b0;
        error <= 1'b0;
        if (rst) begin
            sync   <= 3'b111;
            sync_fall <= 3'b111;
            active <= 1'b0;
            count  <= 16'd0;
            bitn   <= 4'd0;
        end else if (!active) begin
            if (!line) begin
                // A falling edge: sample the start bit in its middle.
                active <= 1'b1;
                count  <= {1'b0, div[15:1]} - (early ? 16'd2 : 16'd1);
                bitn   <= 4'd0;
            end
        end else if (count != 16'd0) begin
            count <= count - 16'd1;
        end else begin
            count <= div - 16'd1;
            if (bitn == 4'd0) begin
                if (line) active <= 1'b0; // a glitch, not a start bit
                else bitn <= 4'd1;
            end else if (bitn <= 4'd8) begin
                shift <= {line, shift[7:1]};
                bitn  <= bitn + 4'd1;
            end else begin
                // The middle of the stop bit: look for the next start bit from here on.
                active <= 1'b0;
                if (line) begin
                    valid <= 1'b1;
                    data  <= shift;
                end else begin
                    error <= 1'b1;
                end
            end
        end
    end
endmodule
`default_nettype wire
