// The controller on an iCEBreaker-class board (iCE40 UP5K, 12 MHz oscillator, FTDI USB-UART on
// its second channel, 16 MB serial NOR Flash that also holds the bitstream): the PLL makes the
// 24 MHz core clock, the UP5K's four SPRAMs are the 128 KB RAM, the Flash is reached through the
// SPI back end with the host's Flash 1 MB into the chip (the bitstream below it is never touched),
// announced as 512K: the board answers as a Q0 configuration (512K Flash, 128K RAM).
`default_nettype none
module icebreaker_top (
    input  wire CLK,       // 12 MHz
    input  wire BTN_N,     // user button: reset while pressed
    input  wire RX,
    output wire TX,
    output wire LEDG_N,    // lit while the controller works
    output wire LEDR_N,
    output wire FLASH_SCK,
    output wire FLASH_SSB,
    output wire FLASH_IO0, // MOSI
    input  wire FLASH_IO1, // MISO
    output wire FLASH_IO2, // WP#, held high
    output wire FLASH_IO3  // HOLD#, held high
);
    localparam CLK_HZ = 24000000;

    wire clk, locked;
    SB_PLL40_PAD #(
        .FEEDBACK_PATH("SIMPLE"),
        .DIVR(4'd0), .DIVF(7'd63), .DIVQ(3'd5), .FILTER_RANGE(3'd1) // 12 MHz * 64 / 32
    ) pll (
        .PACKAGEPIN(CLK), .PLLOUTGLOBAL(clk), .LOCK(locked), .RESETB(1'b1), .BYPASS(1'b0)
    );

    // Reset until the PLL has locked and while the button is pressed, synchronised.
    reg [3:0] reset_sync = 4'hF;
    always @(posedge clk) reset_sync <= {reset_sync[2:0], !locked || !BTN_N};
    wire rst = reset_sync[3];

    // The RAM port on the four 16K x 16 SPRAMs: address bits 16-15 choose the SPRAM, 14-1 the
    // word and bit 0 the byte; the output is registered by the SPRAM (RAM_LATENCY 1).
    wire [23:0] ram_addr;
    wire [7:0]  ram_wdata;
    wire        ram_en, ram_we;
    wire [15:0] spram_out [0:3];
    reg  [1:0]  read_bank;
    reg         read_high;
    always @(posedge clk) if (ram_en) begin
        read_bank <= ram_addr[16:15];
        read_high <= ram_addr[0];
    end
    wire [15:0] read_word = spram_out[read_bank];
    wire [7:0]  ram_rdata = read_high ? read_word[15:8] : read_word[7:0];
    genvar i;
    generate
        for (i = 0; i < 4; i = i + 1) begin : spram
            SB_SPRAM256KA ram (
                .ADDRESS(ram_addr[14:1]), .DATAIN({ram_wdata, ram_wdata}),
                .MASKWREN(ram_addr[0] ? 4'b1100 : 4'b0011), .WREN(ram_we),
                .CHIPSELECT(ram_en && ram_addr[16:15] == i), .CLOCK(clk),
                .STANDBY(1'b0), .SLEEP(1'b0), .POWEROFF(1'b1), .DATAOUT(spram_out[i])
            );
        end
    endgenerate

    wire idle;
    /* verilator lint_off PINCONNECTEMPTY */
    tessary_controller #(
        .CLK_HZ(CLK_HZ), .BAUD(115200), .REG_BASE(0), .FLASH_SIZE(512 * 1024),
        .IDENTITY("Tessary iCEBreaker"),
        .FLASH_BUS("spi"), .FLASH_OFFSET(1024 * 1024), .TOP_BOOT(1)
    ) controller (
        .clk(clk), .rst(rst), .uart_rx(RX), .uart_tx(TX),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(), .flash_ce_n(), .flash_oe_n(), .flash_we_n(), .flash_dq_o(),
        .flash_dq_oe(), .flash_dq_i(8'hFF),
        .spi_sck(FLASH_SCK), .spi_cs_n(FLASH_SSB), .spi_mosi(FLASH_IO0), .spi_miso(FLASH_IO1),
        .idle(idle)
    );
    /* verilator lint_on PINCONNECTEMPTY */

    assign LEDG_N    = idle;
    assign LEDR_N    = 1'b1;
    assign FLASH_IO2 = 1'b1;
    assign FLASH_IO3 = 1'b1;
endmodule
`default_nettype wire
