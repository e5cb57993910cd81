// The top the synthesis check places and routes: the controller at 48 MHz and 3 Mbaud with a
// 4 KB block-RAM array on its RAM port (enough to place and time the port; a board puts its SRAM
// or SDRAM controller there) and the Flash bus on pins, its data lines tri-stated here at the top.
`default_nettype none
module synth_top (
    input  wire        CLK,
    input  wire        BTN_N,
    input  wire        RX,
    output wire        TX,
    output wire [23:0] FLASH_A,
    output wire        FLASH_CE_N,
    output wire        FLASH_OE_N,
    output wire        FLASH_WE_N,
    inout  wire [7:0]  FLASH_DQ,
    output wire        LED
);
    wire [23:0] ram_addr;
    wire [7:0]  ram_wdata;
    wire        ram_en, ram_we;
    reg  [7:0]  ram_rdata;
    reg  [7:0]  ram [0:4095];
    always @(posedge CLK) if (ram_en) begin
        if (ram_we) ram[ram_addr[11:0]] <= ram_wdata;
        ram_rdata <= ram[ram_addr[11:0]];
    end

    wire [7:0] dq_o;
    wire       dq_oe;
    assign FLASH_DQ = dq_oe ? dq_o : 8'bz;

    reg [1:0] reset_sync = 2'b11;
    always @(posedge CLK) reset_sync <= {reset_sync[0], !BTN_N};

    tessary_controller #(
        .CLK_HZ(48000000), .BAUD(3000000), .REG_BASE(0), .FLASH_SIZE(32'h80000)
    ) controller (
        .clk(CLK), .rst(reset_sync[1]), .uart_rx(RX), .uart_tx(TX),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(FLASH_A), .flash_ce_n(FLASH_CE_N), .flash_oe_n(FLASH_OE_N),
        .flash_we_n(FLASH_WE_N), .flash_dq_o(dq_o), .flash_dq_oe(dq_oe), .flash_dq_i(FLASH_DQ),
        .spi_sck(), .spi_cs_n(), .spi_mosi(), .spi_miso(1'b1),
        .idle(LED)
    );
endmodule
`default_nettype wire
