// UART transmitter, 8 data bits, no parity, 1 stop bit; `div` clock cycles per bit. `start`
// with `ready` high sends `data`; `ready` stays low until the stop bit has ended.
`default_nettype none
module tsy_uart_tx (
    input  wire        clk,
    input  wire        rst,
    input  wire [15:0] div,
    input  wire        start,
    input  wire [7:0]  data,
    output wire        ready,
    output reg         tx
);
    reg [8:0]  shift; // data bits, then the stop bit
    reg [3:0]  left;  // bits still to send after the one on the line
    reg [15:0] count;
    reg        busy;

    assign ready = !busy;

    always @(posedge clk) begin
        if (rst) begin
            tx    <= 1'b1;
            busy  <= 1'b0;
            left  <= 4'd0;
            count <= 16'd0;
        end else if (!busy) begin
            if (start) begin
                tx    <= 1'b0; // start bit
                shift <= {1'b1, data};
                left  <= 4'd9;
                count <= div - 16'd1;
                busy  <= 1'b1;
            end
        end else if (count != 16'd0) begin
            count <= count - 16'd1;
        end else if (left == 4'd0) begin
            busy <= 1'b0;
        end else begin
            tx    <= shift[0];
            shift <= {1'b1, shift[8:1]};
            left  <= left - 4'd1;
            count <= div - 16'd1;
        end
    end
endmodule
`default_nettype wire
