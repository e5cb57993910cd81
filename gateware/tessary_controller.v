// The Tessary memory controller with its serial frame engine, for a design of one's own: a UART
// at BAUD from a CLK_HZ clock, the eight registers from REG_BASE on, a synchronous RAM port and
// an Intel-style parallel Flash bus. See docs/gateware.md.
`default_nettype none
module tessary_controller #(
    parameter CLK_HZ      = 48000000,
    parameter BAUD        = 115200,
    parameter REG_BASE    = 0,        // a multiple of 8
    parameter FLASH_SIZE  = 0,        // bytes, announced to the host; 0 = not announced
    parameter FAST        = 1,        // 0: a basic board (65-byte frames, no announcement)
    parameter RX_AW       = 10,       // receive FIFO of 2**RX_AW bytes
    parameter MAX_PAYLOAD = 255,      // the longest frame payload of the fast protocol
    parameter IDENTITY    = "Tessary RTL controller", // at most 32 characters
    parameter FLASH_PULSE = 6,        // clock cycles of each OE#/WE# pulse
    parameter RAM_LATENCY = 1         // cycles from the RAM enable to its read data
) (
    input  wire        clk,
    input  wire        rst,
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

    output wire        idle
);
    localparam integer DIVISOR = (CLK_HZ + BAUD / 2) / BAUD;
    localparam [15:0] DIV = DIVISOR[15:0];

    tsy_core #(
        .RX_AW(RX_AW), .MAX_PAYLOAD(MAX_PAYLOAD), .IDENTITY(IDENTITY),
        .FLASH_PULSE(FLASH_PULSE), .RAM_LATENCY(RAM_LATENCY)
    ) core (
        .clk(clk), .rst(rst), .baud_div(DIV), .reg_base(REG_BASE[7:0]), .fast(FAST != 0),
        .flash_bytes(FLASH_SIZE[31:0]),
        .uart_rx(uart_rx), .uart_tx(uart_tx),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(flash_addr), .flash_ce_n(flash_ce_n), .flash_oe_n(flash_oe_n),
        .flash_we_n(flash_we_n), .flash_dq_o(flash_dq_o), .flash_dq_oe(flash_dq_oe),
        .flash_dq_i(flash_dq_i), .idle(idle)
    );
endmodule
`default_nettype wire
