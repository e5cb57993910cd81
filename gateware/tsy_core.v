// The controller with its serial line: UART, receive and transmit FIFOs, the frame engine and
// the register block with its RAM and Flash ports. Its settings are inputs so that one model
// serves every setting in co-simulation; a design ties them to constants through
// tessary_controller, which turns them into parameters. SPI_FLASH 1 puts tsy_spi_flash
// behind the registers' Flash bus: the parallel Flash pins then stay idle, the SPI pins carry
// the chip, and the Flash size announced is the one that module finds.
`default_nettype none
module tsy_core #(
    parameter RX_AW       = 10,  // receive FIFO of 2**RX_AW bytes
    parameter MAX_PAYLOAD = 255, // 65..255
    parameter IDENTITY    = "Tessary RTL controller",
    parameter FLASH_PULSE = 6,
    parameter RAM_LATENCY = 1,
    parameter PROGRAM_TIMEOUT = 48000, // cycles a byte program may take, below 2**20
    parameter SPI_FLASH   = 0,          // 1: the SPI back end behind the Flash bus
    parameter PAGE_TIMEOUT = 240000,    // spi: cycles a page program may take
    parameter ERASE_TIMEOUT = 150000000 // spi: cycles one sector or block erase may take
) (
    input  wire        clk,
    input  wire        rst,
    input  wire [15:0] baud_div,   // clock cycles per bit, at least 4
    input  wire [7:0]  reg_base,   // a multiple of 8
    input  wire        fast,       // announce and serve the fast protocol
    /* verilator lint_off UNUSEDSIGNAL */
    input  wire [31:0] flash_bytes, // announced Flash size, 0 = none (spi: at most this much)
    input  wire [23:0] flash_offset, // spi: the chip address of host address 0
    input  wire        top_boot,     // spi: the top 128K erases as 96K, 8K, 8K, 16K blocks
    /* verilator lint_on UNUSEDSIGNAL */

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
    /* verilator lint_off UNUSEDSIGNAL */
    input  wire [7:0]  flash_dq_i,
    input  wire        spi_miso,
    /* verilator lint_on UNUSEDSIGNAL */
    output wire        spi_sck,
    output wire        spi_cs_n,
    output wire        spi_mosi,

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
        .clk(clk), .rst(rst), .fast(fast), .flash_bytes(announced), .div(baud_div),
        .in_empty(in_empty), .in_rd(in_rd), .in_data(in_data), .in_lost(in_lost),
        .line_busy(rx_busy), .in_clear(in_clear),
        .out_full(out_almost_full), .out_wr(out_wr), .out_data(out_data),
        .bus_req(bus_req), .bus_we(bus_we), .bus_addr(bus_addr), .bus_wdata(bus_wdata),
        .bus_ack(bus_ack), .bus_rdata(bus_rdata),
        .waiting(engine_waiting)
    );

    // The registers' Flash bus, to the pins (parallel) or to the SPI back end.
    wire [23:0] bus_flash_addr;
    wire        bus_ce_n, bus_oe_n, bus_we_n, bus_hold;
    /* verilator lint_off UNUSEDSIGNAL */
    wire        bus_dq_oe; // the SPI back end needs no direction
    /* verilator lint_on UNUSEDSIGNAL */
    wire [7:0]  bus_dq_o, bus_dq_i;
    wire [31:0] announced;
    wire        flash_quiet;
    tsy_registers #(
        .FLASH_PULSE(FLASH_PULSE), .RAM_LATENCY(RAM_LATENCY), .PROGRAM_TIMEOUT(PROGRAM_TIMEOUT)
    ) registers (
        .clk(clk), .rst(rst), .base(reg_base),
        .req(bus_req), .we(bus_we), .addr(bus_addr), .wdata(bus_wdata),
        .ack(bus_ack), .rdata(bus_rdata),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(bus_flash_addr), .flash_ce_n(bus_ce_n), .flash_oe_n(bus_oe_n),
        .flash_we_n(bus_we_n), .flash_dq_o(bus_dq_o), .flash_dq_oe(bus_dq_oe),
        .flash_dq_i(bus_dq_i), .flash_hold(bus_hold)
    );

    generate
        if (SPI_FLASH != 0) begin : spi
            tsy_spi_flash #(
                .PROGRAM_TIMEOUT(PAGE_TIMEOUT), .ERASE_TIMEOUT(ERASE_TIMEOUT)
            ) back_end (
                .clk(clk), .rst(rst), .offset(flash_offset), .max_bytes(flash_bytes[24:0]),
                .top_boot(top_boot),
                .addr(bus_flash_addr), .ce_n(bus_ce_n), .oe_n(bus_oe_n), .we_n(bus_we_n),
                .data_in(bus_dq_o), .data_out(bus_dq_i), .hold(bus_hold),
                .size_bytes(announced), .quiet(flash_quiet),
                .spi_sck(spi_sck), .spi_cs_n(spi_cs_n), .spi_mosi(spi_mosi), .spi_miso(spi_miso)
            );
            assign flash_addr  = 24'd0;
            assign flash_ce_n  = 1'b1;
            assign flash_oe_n  = 1'b1;
            assign flash_we_n  = 1'b1;
            assign flash_dq_o  = 8'hFF;
            assign flash_dq_oe = 1'b0;
        end else begin : parallel
            assign flash_addr  = bus_flash_addr;
            assign flash_ce_n  = bus_ce_n;
            assign flash_oe_n  = bus_oe_n;
            assign flash_we_n  = bus_we_n;
            assign flash_dq_o  = bus_dq_o;
            assign flash_dq_oe = bus_dq_oe;
            assign bus_dq_i    = flash_dq_i;
            assign bus_hold    = 1'b0;
            assign announced   = flash_bytes;
            assign flash_quiet = 1'b1;
            assign spi_sck     = 1'b0;
            assign spi_cs_n    = 1'b1;
            assign spi_mosi    = 1'b0;
        end
    endgenerate

    assign idle = engine_waiting && out_empty && !tx_sending && !tx_fetching && !tx_start &&
                  !out_wr && flash_quiet;
endmodule
`default_nettype wire
