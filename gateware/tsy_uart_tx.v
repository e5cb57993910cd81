// UART transmitter, 8 data bits, no parity, 1 stop bit; `div` clock cycles per bit. `start`
// with `ready` high hands over `data`. One byte waits beside the one on the line and follows
// its stop bit with no gap; `ready` is high while that place is free, `sending` while a byte is
// on the line or waiting.
`default_nettype none
module tsy_uart_tx (
    input  wire        clk,
    input  wire        rst,
    input  wire [15:0] div,
    input  wire        start,
    input  wire [7:0]  data,
    output wire        ready,
    output wire        sending,
    output reg         tx = 1'b1 // idle from configuration on
);
    reg [8:0]  shift; // data bits, then the stop bit
    reg [3:0]  left;  // bits still to send after the one on the line
    reg [15:0] count;
    reg        busy = 1'b0;
    reg [7:0]  next;  // the byte that waits
    reg        held = 1'b0;

    assign ready   = !held;
    assign sending = busy || held;

    wire       take      = start && !held;
    wire       bit_done  = (count == 16'd0);
    wire       line_free = !busy || (bit_done && left == 4'd0); // idle, or the stop bit ends

    always @(posedge clk) begin
        if (rst) begin
            tx    <= 1'b1;
            busy  <= 1'b0;
            held  <= 1'b0;
            left  <= 4'd0;
            count <= 16'd0;
        end else begin
            if (take) begin
                next <= data;
                held <= 1'b1;
            end
            if (line_free) begin
                if (held || take) begin
                    tx    <= 1'b0; // start bit
                    shift <= {1'b1, held ? next : data};
                    left  <= 4'd9;
                    count <= div - 16'd1;
                    busy  <= 1'b1;
                    held  <= 1'b0;
                end else begin
                    busy <= 1'b0;
                end
            end else if (!bit_done) begin
                count <= count - 16'd1;
            end else begin
                tx    <= shift[0];
                shift <= {1'b1, shift[8:1]};
                left  <= left - 4'd1;
                count <= div - 16'd1;
            end
        end
    end
endmodule
`default_nettype wire
