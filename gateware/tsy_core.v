// The controller with its serial line: UART, receive and transmit FIFOs, the frame engine and
// the register block with its RAM and Flash ports. Its settings are inputs so that one model
// serves every setting in co-simulation; a design ties them to constants through
// tessary_controller, which turns them into parameters.
`default_nettype none
module tsy_core #(
    parameter RX_AW       = 10,  // receive FIFO of 2**RX_AW bytes
    parameter MAX_PAYLOAD = 255, // 65..255
    parameter IDENTITY    = "Tessary RTL controller",
    parameter FLASH_PULSE = 6,
    parameter RAM_LATENCY = 1,
    parameter PROGRAM_TIMEOUT = 48000 // cycles a byte program may take, below 2**20
) (
    input  wire        clk,
    input  wire        rst,
    input  wire [15:0] baud_div,   // clock cycles per bit, at least 4
    input  wire [7:0]  reg_base,   // a multiple of 8
    input  wire        fast,       // announce and serve the fast protocol
    input  wire [31:0] flash_bytes, // announced Flash size, 0 = none

    input  wire        uart_rx,
    output wire        uart_tx,

    output wire [23:0] ram_addr,
    output wire [7:0]  ram_wdata,
    output wire        ram_en,
    output wire        ram_we,
    input  wire [7:0]  ram_rdata,

    output wire [23:0] flash_addr,
    output wire        flash_ce_n,
    output wire        flash_oe_n,
    output wire        flash_we_n,
    output wire [7:0]  flash_dq_o,
    output wire        flash_dq_oe,
    input  wire [7:0]  flash_dq_i,

    output wire        idle // nothing received, under way or left to send
);
    // The board holds one request in its frame buffer and WINDOW - 1 more of the longest kind
    // in its receive FIFO.
    localparam WINDOW_FIT = 1 + (1 << RX_AW) / (MAX_PAYLOAD + 2);
    localparam WINDOW     = WINDOW_FIT > 32 ? 32 : WINDOW_FIT;

    wire       rx_valid, rx_error, rx_busy;
    wire [7:0] rx_data;
    tsy_uart_rx receiver (
        .clk(clk), .rst(rst), .div(baud_div), .rx(uart_rx),
        .valid(rx_valid), .data(rx_data), .error(rx_error), .busy(rx_busy)
    );

    wire       in_rd, in_clear, in_empty, in_full;
    /* verilator lint_off UNUSEDSIGNAL */
    wire       in_almost_full_unused, out_full_unused;
    /* verilator lint_on UNUSEDSIGNAL */
    wire [7:0] in_data;
    tsy_fifo #(.AW(RX_AW)) rx_fifo (
        .clk(clk), .clear(rst || in_clear), .wr(rx_valid), .wdata(rx_data),
        .rd(in_rd), .rdata(in_data), .empty(in_empty), .full(in_full),
        .almost_full(in_almost_full_unused)
    );
    wire in_lost = rx_error || (rx_valid && in_full);

    wire       out_wr, out_empty, out_almost_full;
    wire [7:0] out_data, tx_byte;
    reg        tx_rd = 1'b0, tx_start = 1'b0;
    wire       tx_ready, tx_sending;
    tsy_fifo #(.AW(4)) tx_fifo (
        .clk(clk), .clear(rst), .wr(out_wr), .wdata(out_data),
        .rd(tx_rd), .rdata(tx_byte), .empty(out_empty), .full(out_full_unused),
        .almost_full(out_almost_full)
    );
    // A byte taken from the transmit FIFO reaches the transmitter two cycles later, which holds
    // it until the byte on the line has ended.
    reg tx_fetching = 1'b0;
    always @(posedge clk) begin
        tx_rd    <= 1'b0;
        tx_start <= 1'b0;
        if (rst) begin
            tx_fetching <= 1'b0;
        end else if (tx_fetching) begin
            if (!tx_rd) begin
                tx_start    <= 1'b1;
                tx_fetching <= 1'b0;
            end
        end else if (tx_ready && !tx_start && !out_empty) begin
            tx_rd       <= 1'b1;
            tx_fetching <= 1'b1;
        end
    end
    tsy_uart_tx transmitter (
        .clk(clk), .rst(rst), .div(baud_div), .start(tx_start), .data(tx_byte),
        .ready(tx_ready), .sending(tx_sending), .tx(uart_tx)
    );

    wire       bus_req, bus_we, bus_ack;
    wire [7:0] bus_addr, bus_wdata, bus_rdata;
    wire       engine_waiting;
    tsy_frame_engine #(
        .MAX_PAYLOAD(MAX_PAYLOAD), .WINDOW(WINDOW), .IDENTITY(IDENTITY)
    ) engine (
        .clk(clk), .rst(rst), .fast(fast), .flash_bytes(flash_bytes), .div(baud_div),
        .in_empty(in_empty), .in_rd(in_rd), .in_data(in_data), .in_lost(in_lost),
        .line_busy(rx_busy), .in_clear(in_clear),
        .out_full(out_almost_full), .out_wr(out_wr), .out_data(out_data),
        .bus_req(bus_req), .bus_we(bus_we), .bus_addr(bus_addr), .bus_wdata(bus_wdata),
        .bus_ack(bus_ack), .bus_rdata(bus_rdata),
        .waiting(engine_waiting)
    );

    tsy_registers #(
        .FLASH_PULSE(FLASH_PULSE), .RAM_LATENCY(RAM_LATENCY), .PROGRAM_TIMEOUT(PROGRAM_TIMEOUT)
    ) registers (
        .clk(clk), .rst(rst), .base(reg_base),
        .req(bus_req), .we(bus_we), .addr(bus_addr), .wdata(bus_wdata),
        .ack(bus_ack), .rdata(bus_rdata),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(flash_addr), .flash_ce_n(flash_ce_n), .flash_oe_n(flash_oe_n),
        .flash_we_n(flash_we_n), .flash_dq_o(flash_dq_o), .flash_dq_oe(flash_dq_oe),
        .flash_dq_i(flash_dq_i)
    );

    assign idle = engine_waiting && out_empty && !tx_sending && !tx_fetching && !tx_start &&
                  !out_wr;
endmodule
`default_nettype wire
