// The Tessary memory controller with its serial frame engine, for a design of one's own: a UART
// at BAUD from a CLK_HZ clock, the eight registers from REG_BASE on, a synchronous RAM port and
// an Intel-style parallel Flash bus, or with FLASH_BUS "spi" a serial NOR Flash on the SPI pins.
// See docs/gateware.md.
`default_nettype none
module tessary_controller #(
    parameter CLK_HZ      = 48000000,
    parameter BAUD        = 115200,
    parameter REG_BASE    = 0,        // a multiple of 8
    parameter FLASH_SIZE  = 0,        // bytes, announced to the host; 0 = not announced
                                      // (spi: at most this much; 0 = the chip above the offset)
    parameter FAST        = 1,        // 0: a basic board (65-byte frames, no announcement)
    parameter RX_AW       = 10,       // receive FIFO of 2**RX_AW bytes
    parameter MAX_PAYLOAD = 255,      // the longest frame payload of the fast protocol
    parameter IDENTITY    = "Tessary RTL controller", // at most 28 characters
    parameter FLASH_PULSE = 6,        // clock cycles of each OE#/WE# pulse, 1..255
    parameter RAM_LATENCY = 1,        // cycles from the RAM enable to its read data
    parameter PROGRAM_TIMEOUT_US = 1000, // the longest a byte program may take
    parameter FLASH_BUS   = "parallel", // "spi": a serial NOR Flash on spi_*
    parameter FLASH_OFFSET = 0,       // spi: chip address of host address 0, a multiple of 64K
    parameter TOP_BOOT    = 1,        // spi: erase blocks of the top 128K: 96K, 8K, 8K, 16K
    parameter PAGE_TIMEOUT_US = 5000, // spi: the longest a page program may take
    parameter ERASE_TIMEOUT_MS = 3000 // spi: the longest one sector or block erase may take
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

    output wire        spi_sck,
    output wire        spi_cs_n,
    output wire        spi_mosi,
    input  wire        spi_miso,

    output wire        idle
);
    localparam integer DIVISOR = (CLK_HZ + BAUD / 2) / BAUD;
    localparam [15:0] DIV = DIVISOR[15:0];
    /* verilator lint_off WIDTH */
    localparam [63:0] CLOCK = CLK_HZ, RATE = BAUD, CYCLES_A_BIT = DIVISOR; // products fit
    /* verilator lint_on WIDTH */
    localparam [63:0] PROGRAM_CYCLES = (CLOCK * PROGRAM_TIMEOUT_US + 999999) / 1000000;
    localparam [63:0] PAGE_CYCLES = (CLOCK * PAGE_TIMEOUT_US + 999999) / 1000000;
    localparam [63:0] ERASE_CYCLES = (CLOCK * ERASE_TIMEOUT_MS + 999) / 1000;
    localparam        SPI = FLASH_BUS == "spi";

    // Settings that cannot work stop the build: each check instantiates a module that does not
    // exist and whose name says what is wrong; the simulators and the synthesis all refuse it.
    localparam [63:0] BAUD_ERROR = CYCLES_A_BIT * RATE > CLOCK ? CYCLES_A_BIT * RATE - CLOCK
                                                               : CLOCK - CYCLES_A_BIT * RATE;
    /* verilator lint_off WIDTH */
    localparam [8*29-1:0] ID_29 = IDENTITY; // the 29th character from the end is NUL if it fits
    /* verilator lint_on WIDTH */
    generate
        if (DIVISOR < 4) begin : check_divisor
            tessary_controller_needs_at_least_4_clock_cycles_a_bit stop();
        end
        if (DIVISOR > 65535) begin : check_divisor_width
            tessary_controller_needs_at_most_65535_clock_cycles_a_bit stop();
        end
        if (BAUD_ERROR * 50 > CLOCK) begin : check_baud_error
            tessary_controller_baud_rate_off_by_more_than_2_percent stop();
        end
        if (FLASH_PULSE < 1 || FLASH_PULSE > 255) begin : check_pulse
            tessary_controller_flash_pulse_must_be_1_to_255 stop();
        end
        if (PROGRAM_CYCLES < 1 || PROGRAM_CYCLES >= (1 << 20)) begin : check_program_timeout
            tessary_controller_program_timeout_must_be_1_to_1048575_cycles stop();
        end
        if (ID_29[8*29-1 -: 8] != 8'd0) begin : check_identity
            tessary_controller_identity_longer_than_28_characters stop();
        end
        if (REG_BASE % 8 != 0 || REG_BASE < 0 || REG_BASE > 248) begin : check_register_base
            tessary_controller_register_base_must_be_a_multiple_of_8_to_248 stop();
        end
        if (MAX_PAYLOAD < 65 || MAX_PAYLOAD > 255) begin : check_payload
            tessary_controller_max_payload_must_be_65_to_255 stop();
        end
        /* verilator lint_off WIDTH */
        if (!SPI && FLASH_BUS != "parallel") begin : check_bus
            tessary_controller_flash_bus_must_be_parallel_or_spi stop();
        end
        /* verilator lint_on WIDTH */
        if (SPI && (FLASH_OFFSET % 65536 != 0 || FLASH_OFFSET < 0 ||
                    FLASH_OFFSET >= 16777216)) begin : check_offset
            tessary_controller_flash_offset_must_be_a_multiple_of_64k_below_16m stop();
        end
        if (SPI && (ERASE_CYCLES < 1 || ERASE_CYCLES >= 64'h100000000 ||
                    PAGE_CYCLES < 1 || PAGE_CYCLES >= 64'h100000000)) begin : check_spi_timeouts
            tessary_controller_spi_timeouts_must_be_1_to_4294967295_cycles stop();
        end
    endgenerate

    tsy_core #(
        .RX_AW(RX_AW), .MAX_PAYLOAD(MAX_PAYLOAD), .IDENTITY(IDENTITY),
        .FLASH_PULSE(FLASH_PULSE), .RAM_LATENCY(RAM_LATENCY),
        .PROGRAM_TIMEOUT(PROGRAM_CYCLES[19:0]),
        .SPI_FLASH(SPI ? 1 : 0), .PAGE_TIMEOUT(PAGE_CYCLES[31:0]),
        .ERASE_TIMEOUT(ERASE_CYCLES[31:0])
    ) core (
        .clk(clk), .rst(rst), .baud_div(DIV), .reg_base(REG_BASE[7:0]), .fast(FAST != 0),
        .flash_bytes(FLASH_SIZE[31:0]), .flash_offset(FLASH_OFFSET[23:0]),
        .top_boot(TOP_BOOT != 0),
        .uart_rx(uart_rx), .uart_tx(uart_tx),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(flash_addr), .flash_ce_n(flash_ce_n), .flash_oe_n(flash_oe_n),
        .flash_we_n(flash_we_n), .flash_dq_o(flash_dq_o), .flash_dq_oe(flash_dq_oe),
        .flash_dq_i(flash_dq_i),
        .spi_sck(spi_sck), .spi_cs_n(spi_cs_n), .spi_mosi(spi_mosi), .spi_miso(spi_miso),
        .idle(idle)
    );
endmodule
`default_nettype wire
