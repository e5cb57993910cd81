// tsy_spi_flash against a serial NOR chip as strict as a real one (spi_nor_chip.v), driven on its
// Intel-style bus as the controller's registers drive it: the chip's record shows what the back
// end sent for each of the host's sequences. The Flash the host sees is 512K, 1 MB into a 2 MB
// chip, its top 128K as 96K, 8K, 8K and 16K blocks. Checked: the erases that cover each block
// exactly (and nothing beside it changed), page programs that never cross a page, WIP read clear
// before every command that needs it, writes ignored while an erase runs, programs and erases
// past the announced size refused, a chip that stays busy reported, and nothing below the offset
// touched. Prints the clock cycles a byte of a sequential read costs; PASS, or FAIL with what
// went wrong.
`timescale 1ns / 1ps
`default_nettype none
module spi_flash_tb;
    localparam real CLOCK_NS = 1000.0 / 24.0; // 24 MHz
    localparam [23:0] OFFSET = 24'h100000;
    localparam integer HOST_BYTES = 512 * 1024;

    reg clk = 1'b0;
    reg rst = 1'b1;
    always #(CLOCK_NS / 2) clk = ~clk;
    integer cycles = 0;
    always @(posedge clk) cycles = cycles + 1;

    reg  [23:0] addr = 24'd0;
    reg         ce_n = 1'b1, oe_n = 1'b1, we_n = 1'b1;
    reg  [7:0]  data_in = 8'hFF;
    wire [7:0]  data_out;
    wire        hold, quiet;
    wire [31:0] size_bytes;
    wire        sck, cs_n, mosi, miso;

    tsy_spi_flash #(.PROGRAM_TIMEOUT(2400), .ERASE_TIMEOUT(480000)) dut (
        .clk(clk), .rst(rst), .offset(OFFSET), .max_bytes(HOST_BYTES[24:0]), .top_boot(1'b1),
        .addr(addr), .ce_n(ce_n), .oe_n(oe_n), .we_n(we_n), .data_in(data_in),
        .data_out(data_out), .hold(hold), .size_bytes(size_bytes), .quiet(quiet),
        .spi_sck(sck), .spi_cs_n(cs_n), .spi_mosi(mosi), .spi_miso(miso)
    );
    spi_nor_chip chip (.sck(sck), .cs_n(cs_n), .mosi(mosi), .miso(miso));

    `include "bench_verdict.vh"

    // ---- The bus, as tsy_registers drives it: one cycle, stretched while `hold` is high ----
    task bus_write(input [23:0] a, input [7:0] d);
        begin
            @(negedge clk);
            addr = a; data_in = d; ce_n = 1'b0; we_n = 1'b0;
            @(negedge clk);
            while (hold) @(negedge clk);
            we_n = 1'b1; ce_n = 1'b1;
            @(negedge clk);
        end
    endtask
    task bus_read(input [23:0] a, output [7:0] d);
        begin
            @(negedge clk);
            addr = a; ce_n = 1'b0; oe_n = 1'b0;
            @(negedge clk);
            while (hold) @(negedge clk);
            d = data_out;
            oe_n = 1'b1; ce_n = 1'b1;
            @(negedge clk);
        end
    endtask
    // Reads the status until bit 7 is set; `saw_busy` tells whether it was ever low.
    reg saw_busy;
    task wait_ready(output [7:0] st);
        begin
            saw_busy = 1'b0;
            bus_write(24'd0, 8'h70);
            bus_read(24'd0, st);
            while (!st[7]) begin
                saw_busy = 1'b1;
                bus_read(24'd0, st);
            end
        end
    endtask

    // ---- The chip's contents as the bench expects them ----
    function [7:0] pattern(input [23:0] a);
        pattern = a[7:0] ^ a[15:8] ^ 8'h5A;
    endfunction
    integer i;
    initial for (i = 0; i < 2 * 1024 * 1024; i = i + 1) chip.mem[i] = pattern(i);

    // The chip's record since `from` less its reads: the commands that change the chip.
    reg [7:0]  w_cmd  [0:1023];
    reg [23:0] w_addr [0:1023];
    integer    w_n    [0:1023];
    integer    nw;
    task writes_since(input integer from);
        integer k;
        begin
            nw = 0;
            for (k = from; k < chip.nlog; k = k + 1)
                if (chip.log_cmd[k] != 8'h03 && chip.log_cmd[k] != 8'h0B) begin
                    w_cmd[nw] = chip.log_cmd[k];
                    w_addr[nw] = chip.log_addr[k];
                    w_n[nw] = chip.log_n[k];
                    nw = nw + 1;
                end
        end
    endtask
    // They are exactly these, a WREN before each.
    reg [7:0]  want_cmd  [0:15];
    reg [23:0] want_addr [0:15];
    integer    want_n    [0:15];
    task expect_log(input integer from, input integer count, input [8*64-1:0] what);
        integer k;
        begin
            writes_since(from);
            if (nw != 2 * count) begin
                $display("  %0d commands, %0d wanted", nw, 2 * count);
                fail(what);
            end else for (k = 0; k < count; k = k + 1)
                if (w_cmd[2 * k] != 8'h06 || w_cmd[2 * k + 1] != want_cmd[k] ||
                    w_addr[2 * k + 1] != want_addr[k] || w_n[2 * k + 1] != want_n[k]) begin
                    $display("  command %0d: %h at %h, %0d bytes", k, w_cmd[2 * k + 1],
                             w_addr[2 * k + 1], w_n[2 * k + 1]);
                    fail(what);
                end
        end
    endtask

    // Erases the host's block [start, start + size) through the bus (addressed in its middle)
    // and checks the chip: the block blank, everything from `keep_from` on as it was.
    task erase_block(input [23:0] start, input integer size, input integer count,
                     input [8*64-1:0] what);
        integer from, k, bad;
        reg [7:0] st;
        begin
            from = chip.nlog;
            bus_write(start + size / 2, 8'h20);
            bus_write(start + size / 2, 8'hD0);
            wait_ready(st);
            if (st != 8'h80) fail("an erase ends with error bits");
            if (!saw_busy) fail("the status never showed an erase under way");
            expect_log(from, count, what);
            bad = 0;
            for (k = 0; k < size; k = k + 1)
                if (chip.mem[OFFSET + start + k] != 8'hFF) bad = bad + 1;
            for (k = start + size; k < HOST_BYTES + 65536; k = k + 1)
                if (chip.mem[OFFSET + k] != pattern(OFFSET + k)) bad = bad + 1;
            if (bad != 0) fail(what);
        end
    endtask

    // A back end that stops answering stops the bench (in simulated time: 100 ms).
    initial begin
        #100000000.0;
        fail("the back end stopped answering");
        $finish;
    end

    reg [7:0] st, d;
    integer from, k, t0, bad;
    initial begin
        chip.protect_below = OFFSET;
        repeat (4) @(posedge clk);
        rst = 1'b0;
        while (size_bytes == 32'd0) @(posedge clk);
        if (size_bytes != HOST_BYTES) fail("the announced size is not the chip less the offset, capped");
        if (chip.nlog != 2 || chip.log_cmd[0] != 8'hAB || chip.log_cmd[1] != 8'h9F)
            fail("the chip is not woken and its ID read at reset");

        // ---- Each block of the layout, from the bottom up: its erases, nothing beside ----
        for (k = 0; k < 3; k = k + 1) begin
            want_cmd[0] = 8'hD8; want_addr[0] = OFFSET + k * 24'h20000;           want_n[0] = 0;
            want_cmd[1] = 8'hD8; want_addr[1] = OFFSET + k * 24'h20000 + 24'h10000; want_n[1] = 0;
            erase_block(k * 24'h20000, 128 * 1024, 2, "a 128K block: two 64K erases");
        end
        want_cmd[0] = 8'hD8; want_addr[0] = OFFSET + 24'h60000; want_n[0] = 0;
        want_cmd[1] = 8'h52; want_addr[1] = OFFSET + 24'h70000; want_n[1] = 0;
        erase_block(24'h60000, 96 * 1024, 2, "the 96K block: a 64K and a 32K erase");
        for (k = 0; k < 2; k = k + 1) begin
            want_cmd[0] = 8'h20; want_addr[0] = OFFSET + 24'h78000 + k * 24'h2000; want_n[0] = 0;
            want_cmd[1] = 8'h20; want_addr[1] = OFFSET + 24'h79000 + k * 24'h2000; want_n[1] = 0;
            erase_block(24'h78000 + k * 24'h2000, 8 * 1024, 2, "an 8K block: two 4K erases");
        end
        for (k = 0; k < 4; k = k + 1) begin
            want_cmd[k] = 8'h20; want_addr[k] = OFFSET + 24'h7C000 + k * 24'h1000; want_n[k] = 0;
        end
        erase_block(24'h7C000, 16 * 1024, 4, "the 16K block: four 4K erases");

        // ---- Programs: gathered by page, a page never crossed, an address jump ends one ----
        from = chip.nlog;
        for (k = 0; k < 300; k = k + 1) begin
            bus_write(24'h780F0 + k, 8'h40);
            bus_write(24'h780F0 + k, k[7:0] ^ 8'hC3);
            bus_read(24'h780F0 + k, st);
            if (st != 8'h80) fail("a program's status is not ready without errors");
        end
        for (k = 0; k < 4; k = k + 1) begin
            bus_write(24'h7A010 + 2 * k, 8'h40);
            bus_write(24'h7A010 + 2 * k, k[7:0]);
        end
        wait_ready(st);
        while (!quiet) @(posedge clk);
        for (k = 0; k < 7; k = k + 1) want_cmd[k] = 8'h02;
        want_addr[0] = OFFSET + 24'h780F0; want_n[0] = 16;
        want_addr[1] = OFFSET + 24'h78100; want_n[1] = 256;
        want_addr[2] = OFFSET + 24'h78200; want_n[2] = 28;
        for (k = 0; k < 4; k = k + 1) begin
            want_addr[3 + k] = OFFSET + 24'h7A010 + 2 * k; want_n[3 + k] = 1;
        end
        expect_log(from, 7, "the programs are not one per page and one per address jump");
        bad = 0;
        for (k = 0; k < 300; k = k + 1)
            if (chip.mem[OFFSET + 24'h780F0 + k] != (k[7:0] ^ 8'hC3)) bad = bad + 1;
        for (k = 0; k < 8; k = k + 1)
            if (chip.mem[OFFSET + 24'h7A010 + k] != (k[0] ? 8'hFF : k[7:1])) bad = bad + 1;
        if (bad != 0) fail("the chip does not hold what was programmed");

        // ---- A sequential read streams what was programmed ----
        bus_write(24'd0, 8'hFF);
        bad = 0;
        t0 = cycles;
        for (k = 0; k < 300; k = k + 1) begin
            bus_read(24'h780F0 + k, d);
            if (d != (k[7:0] ^ 8'hC3)) bad = bad + 1;
        end
        $display("sequential read: %0d cycles a byte (%0d bytes)", (cycles - t0) / 300, 300);
        if (bad != 0) fail("a sequential read does not return what was programmed");
        bus_read(24'h7A011, d);
        if (d != 8'hFF) fail("a read after an address jump is wrong");
        bus_read(24'h7A012, d);
        if (d != 8'h01) fail("a read after an address jump is wrong");
        bus_read(24'h40000, d);
        if (d != 8'hFF) fail("a read of an erased block is not blank");

        // ---- Writes while an erase runs are ignored ----
        from = chip.nlog;
        bus_write(24'h00000, 8'h20);
        bus_write(24'h00000, 8'hD0);
        bus_write(24'h00100, 8'h40);
        bus_write(24'h00100, 8'h00);
        bus_read(24'h00100, st);
        if (st[7]) fail("the status reads ready while an erase runs");
        wait_ready(st);
        while (!quiet) @(posedge clk);
        bus_write(24'd0, 8'h50); // no data byte: a program set up while busy would take it
        while (!quiet) @(posedge clk);
        want_cmd[0] = 8'hD8; want_addr[0] = OFFSET;            want_n[0] = 0;
        want_cmd[1] = 8'hD8; want_addr[1] = OFFSET + 24'h10000; want_n[1] = 0;
        expect_log(from, 2, "a program during an erase reached the chip");
        if (st != 8'h80 || chip.mem[OFFSET + 24'h100] != 8'hFF || chip.mem[OFFSET] != 8'hFF)
            fail("a program during an erase changed the chip");

        // ---- Past the announced size: refused, nothing reaches the chip ----
        from = chip.nlog;
        bus_write(HOST_BYTES, 8'h40);
        bus_write(HOST_BYTES, 8'h00);
        wait_ready(st);
        if (st != 8'h92) fail("a program past the size is not refused as a locked block");
        bus_write(24'd0, 8'h50);
        bus_write(HOST_BYTES + 24'h1000, 8'h20);
        bus_write(HOST_BYTES + 24'h1000, 8'hD0);
        wait_ready(st);
        if (st != 8'hA2) fail("an erase past the size is not refused as a locked block");
        bus_write(24'd0, 8'h50);
        writes_since(from);
        if (nw != 0) fail("a refused program or erase reached the chip");

        // ---- A chip that stays busy: the program's time-out, then nothing else goes out ----
        chip.stuck = 1'b1;
        bus_write(24'h00200, 8'h40);
        bus_write(24'h00200, 8'h00);
        while (!quiet) @(posedge clk);
        wait_ready(st);
        if (st != 8'h91) fail("a program that never ends is not reported");
        from = chip.nlog;
        bus_write(24'd0, 8'hFF);
        bus_read(24'h20000, st);
        if (st[7]) fail("an array read of a chip still busy answers data, not a busy status");
        bus_write(24'd0, 8'h50);
        bus_write(24'h20000, 8'h20);
        bus_write(24'h20000, 8'hD0);
        wait_ready(st);
        if (st != 8'hA1) fail("an erase on a chip still busy is not reported");
        writes_since(from);
        if (nw != 0) fail("a command reached a chip still busy");

        if (chip.faults_asleep + chip.faults_busy + chip.faults_unpolled + chip.faults_no_wel +
            chip.faults_cut + chip.faults_crossed + chip.faults_protected != 0) begin
            $display("  chip: asleep %0d busy %0d unpolled %0d no-WEL %0d cut %0d crossed %0d below-offset %0d",
                     chip.faults_asleep, chip.faults_busy, chip.faults_unpolled,
                     chip.faults_no_wel, chip.faults_cut, chip.faults_crossed,
                     chip.faults_protected);
            fail("the chip saw commands a real part would not carry out");
        end
        $display("simulated %0d us", $realtime / 1000.0);
        if (failures == 0) $display("PASS");
        $finish;
    end
endmodule
`default_nettype wire
