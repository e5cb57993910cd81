// tessary_controller against parts as strict as real ones, over its serial line: a Flash chip of
// real timing (flash_chip.v), a host whose bit clock runs 3% fast, and a window of requests with
// a line error inside, and the requests the board carries out on its own side (checksum, fill,
// run-length read) over RAM and Flash. Prints PASS, or FAIL with what went wrong.
`timescale 1ns / 1ps
`default_nettype none
module controller_tb;
    localparam real CLOCK_NS = 1000.0 / 12.0;  // 12 MHz
    localparam real BIT_NS   = 1000.0 / 3.0;   // 3 Mbaud: 4 clock cycles a bit

    reg clk = 1'b0;
    reg rst = 1'b0;
    reg uart_rx = 1'b1;
    wire uart_tx;
    wire [23:0] ram_addr, flash_addr;
    wire [7:0] ram_wdata, flash_dq_o, flash_dq_i;
    wire ram_en, ram_we, flash_ce_n, flash_oe_n, flash_we_n, flash_dq_oe, idle;
    reg [7:0] ram_rdata;
    reg [7:0] ram [0:4095];

    tessary_controller #(.CLK_HZ(12000000), .BAUD(3000000), .FLASH_SIZE(4096)) dut (
        .clk(clk), .rst(rst), .uart_rx(uart_rx), .uart_tx(uart_tx),
        .ram_addr(ram_addr), .ram_wdata(ram_wdata), .ram_en(ram_en), .ram_we(ram_we),
        .ram_rdata(ram_rdata),
        .flash_addr(flash_addr), .flash_ce_n(flash_ce_n), .flash_oe_n(flash_oe_n),
        .flash_we_n(flash_we_n), .flash_dq_o(flash_dq_o), .flash_dq_oe(flash_dq_oe),
        .flash_dq_i(flash_dq_i), .spi_sck(), .spi_cs_n(), .spi_mosi(), .spi_miso(1'b1),
        .idle(idle)
    );
    flash_chip flash (
        .addr(flash_addr), .ce_n(flash_ce_n), .oe_n(flash_oe_n), .we_n(flash_we_n),
        .dq_in(flash_dq_o), .dq_out(flash_dq_i)
    );
    always @(posedge clk) if (ram_en) begin
        if (ram_we) ram[ram_addr[11:0]] <= ram_wdata;
        ram_rdata <= ram[ram_addr[11:0]];
    end

    `include "bench_verdict.vh"

    // ---- The host's side of the line ----
    real send_bit_ns = BIT_NS;
    task send_byte(input [7:0] b);
        integer i;
        begin
            uart_rx = 1'b0;
            #(send_bit_ns);
            for (i = 0; i < 8; i = i + 1) begin
                uart_rx = b[i];
                #(send_bit_ns);
            end
            uart_rx = 1'b1;
            #(send_bit_ns);
        end
    endtask

    // A frame: N, the payload, the checksum (plus `spoil`, 0 for a good frame).
    reg [7:0] payload [0:255];
    task send_frame(input integer n, input [7:0] spoil);
        integer i;
        reg [7:0] sum;
        begin
            send_byte(n[7:0]);
            sum = n[7:0];
            for (i = 0; i < n; i = i + 1) begin
                send_byte(payload[i]);
                sum = sum + payload[i];
            end
            send_byte((8'd0 - sum) + spoil);
        end
    endtask

    // What the controller sends, and when each byte's start bit began.
    reg [7:0] got [0:4095];
    real      got_at [0:4095];
    integer   ngot = 0;
    initial begin : receiver
        integer i;
        reg [7:0] b;
        forever begin
            @(negedge uart_tx);
            got_at[ngot] = $realtime;
            #(BIT_NS / 2);
            for (i = 0; i < 8; i = i + 1) begin
                #(BIT_NS);
                b[i] = uart_tx;
            end
            #(BIT_NS);
            if (uart_tx !== 1'b1) fail("a reply byte without its stop bit");
            got[ngot] = b;
            ngot = ngot + 1;
        end
    end

    // Waits for the line to be quiet for `us` microseconds; the bytes that came meanwhile count.
    task settle(input real us);
        integer before;
        begin
            before = -1;
            while (before != ngot) begin
                before = ngot;
                #(us * 1000.0);
            end
        end
    endtask

    // The replies since `from` are exactly `count` "done" replies (01 81 7E).
    task expect_done(input integer from, input integer count, input [8*96-1:0] what);
        integer i;
        begin
            if (ngot - from != 3 * count) fail(what);
            else for (i = 0; i < count; i = i + 1)
                if (got[from + 3 * i] != 8'h01 || got[from + 3 * i + 1] != 8'h81 ||
                    got[from + 3 * i + 2] != 8'h7E) fail(what);
        end
    endtask

    task set_address(input [23:0] a);
        begin
            payload[0] = 8'h45;
            payload[1] = 1; payload[2] = a[7:0];
            payload[3] = 2; payload[4] = a[15:8];
            payload[5] = 3; payload[6] = a[23:16];
            send_frame(7, 0);
        end
    endtask

    task put_reg(input [7:0] r, input [7:0] v);
        begin
            payload[0] = 8'h43; payload[1] = r; payload[2] = v;
            send_frame(3, 0);
        end
    endtask

    // The Flash status register (+5) as the host reads it, with control 0xF6.
    task read_status(output [7:0] status);
        integer from;
        begin
            from = ngot;
            put_reg(0, 8'hF6);
            payload[0] = 8'h46; payload[1] = 5;
            send_frame(2, 0);
            settle(20);
            status = got[from + 6];
            if (ngot - from != 8 || got[from + 4] != 8'h83) fail("no status reply");
        end
    endtask

    task write_data(input [7:0] register, input integer count, input integer seed,
                    input [7:0] spoil);
        integer i;
        begin
            payload[0] = 8'h44;
            payload[1] = register;
            for (i = 0; i < count; i = i + 1) payload[2 + i] = seed * 13 + i * 7 + 1;
            send_frame(count + 2, spoil);
        end
    endtask

    // The 24-bit address the host reads back from +1..+3, as the compact read of three values.
    task read_address(output [23:0] address);
        integer from;
        begin
            from = ngot;
            payload[0] = 8'h49; payload[1] = 1; payload[2] = 1;
            send_frame(3, 0);
            payload[1] = 2;
            send_frame(3, 0);
            payload[1] = 3;
            send_frame(3, 0);
            settle(20);
            if (ngot - from != 12) fail("no address reply");
            address = {got[from + 10], got[from + 6], got[from + 2]};
        end
    endtask

    // A request with a register and a 24-bit count (0x4A, 0x4C), or a value and a count (0x4B).
    task count_request(input [7:0] command, input [7:0] register, input integer count);
        begin
            payload[0] = command; payload[1] = register;
            payload[2] = count[7:0]; payload[3] = count[15:8]; payload[4] = count[23:16];
            send_frame(5, 0);
        end
    endtask
    task fill(input [7:0] register, input [7:0] value, input integer count);
        begin
            payload[0] = 8'h4B; payload[1] = register; payload[2] = value;
            payload[3] = count[7:0]; payload[4] = count[15:8]; payload[5] = count[23:16];
            send_frame(6, 0);
        end
    endtask

    // The checksum reply since `from`: 05 86 c0 c1 c2 c3 and its checksum.
    task expect_checksum(input integer from, input [31:0] crc, input [8*96-1:0] what);
        begin
            if (ngot - from != 7 || got[from] != 8'h05 || got[from + 1] != 8'h86 ||
                {got[from + 5], got[from + 4], got[from + 3], got[from + 2]} != crc ||
                got[from] + got[from + 1] + got[from + 2] + got[from + 3] + got[from + 4] +
                got[from + 5] + got[from + 6] != 8'd0) fail(what);
        end
    endtask

    // A run-length reply since `from`, decoded: the bytes it stands for must be those of `ram`
    // from `start` on; `covered` is how many (-1 for a reply that is not well formed).
    task decode_runs(input integer from, input integer start, output integer covered);
        integer at, end_at, n, k;
        reg [7:0] header, sum;
        begin
            covered = -1;
            end_at = from + 1 + got[from];
            sum = 8'd0;
            for (k = from; k <= end_at; k = k + 1) sum = sum + got[k];
            if (ngot - from == got[from] + 2 && got[from + 1] == 8'h87 && sum == 8'd0) begin
                covered = 0;
                at = from + 2;
                while (at < end_at && covered >= 0) begin
                    header = got[at];
                    n = header[6:0] + 1;
                    for (k = 0; k < n && covered >= 0; k = k + 1)
                        if (at + 1 + (header[7] ? 0 : k) >= end_at ||
                            got[at + 1 + (header[7] ? 0 : k)] != ram[(start + covered + k) % 4096])
                            covered = -1;
                    if (covered >= 0) covered = covered + n;
                    at = at + 2 + (header[7] ? 0 : n - 1);
                end
                if (at != end_at) covered = -1;
            end
        end
    endtask

    always #(CLOCK_NS / 2) clk = !clk;

    // Until the first reset the Flash bus and the line stay idle.
    reg reset_seen = 1'b0;
    always @(flash_ce_n or flash_oe_n or flash_we_n or uart_tx)
        if (!reset_seen && {flash_ce_n, flash_oe_n, flash_we_n, uart_tx} !== 4'b1111)
            fail("CE#, OE#, WE# or the transmit pin not high before the first reset");

    integer i, from, gaps, covered;
    reg [7:0] status;
    reg [23:0] address;
    initial begin
        // Power-up: before the first clock edge and without a reset, no Flash bus cycle and an
        // idle line.
        #1;
        if ({flash_ce_n, flash_oe_n, flash_we_n, uart_tx} !== 4'b1111)
            fail("CE#, OE#, WE# or the transmit pin not high at power-up");
        for (i = 0; i < 4096; i = i + 1) ram[i] = 8'h00;
        #(10 * CLOCK_NS);
        @(negedge clk) rst = 1'b1;
        reset_seen = 1'b1;
        repeat (4) @(negedge clk);
        rst = 1'b0;
        if (flash.refused != 0 || flash.programmed != 0) fail("a Flash write before reset");

        // A host 3% fast, its bytes at every phase of the clock: each probe is answered, and
        // each reply's bytes follow one another without a gap.
        send_bit_ns = BIT_NS * 0.97;
        gaps = 0;
        for (i = 0; i < 40; i = i + 1) begin
            from = ngot;
            payload[0] = 8'h40;
            send_frame(1, 0);
            #(1000.0 + 7.3 * i);
            settle(5);
            expect_done(from, 1, "a probe from a fast host not answered");
            if (ngot - from == 3 && (got_at[from + 2] - got_at[from + 1] > 10 * BIT_NS + 1.0 ||
                                     got_at[from + 1] - got_at[from] > 10 * BIT_NS + 1.0))
                gaps = gaps + 1;
        end
        if (gaps != 0) fail("idle time between the bytes of a reply");
        send_bit_ns = BIT_NS;

        // One frame of 64 Flash bytes against a chip that takes 6 us a byte: all land, none
        // was written while the chip was busy, and the status reads ready without errors.
        from = ngot;
        set_address(24'h000100);
        write_data(8'h07, 64, 5, 0);
        settle(1000); // 64 bytes of 6 us each and the polls between
        expect_done(from, 2, "the Flash write not answered");
        for (i = 0; i < 64; i = i + 1)
            if (flash.mem[256 + i] != ((5 * 13 + i * 7 + 1) & 8'hFF)) begin
                fail("a Flash byte did not land");
                i = 64;
            end
        if (flash.refused != 0) fail("the Flash was written while busy");
        read_status(status);
        if (status != 8'h80) fail("the status after a good program is not 0x80");

        // A chip that does not finish within the controller's time-out: the status the host
        // reads has the program error and the time-out bits, until clear status.
        flash.program_ns = 1500000.0;
        from = ngot;
        write_data(8'h07, 1, 6, 0);
        settle(1500);
        expect_done(from, 1, "the slow Flash write not answered");
        read_status(status);
        if ((status & 8'h11) != 8'h11) fail("a program time-out not in the status");
        #(1500000.0);
        put_reg(4, 8'h50);
        put_reg(0, 8'hF5);
        put_reg(0, 8'hF7);
        settle(20);
        read_status(status);
        if (status != 8'h80) fail("clear status left error bits");
        flash.program_ns = 6000.0;

        // A window of three RAM writes whose second has a bad checksum: the first lands, the
        // third must not (it would land where the second belongs), and after a quiet line the
        // board answers again.
        from = ngot;
        set_address(24'h000400);
        write_data(8'h06, 100, 1, 0);
        write_data(8'h06, 100, 2, 8'h01);
        write_data(8'h06, 100, 3, 0);
        settle(300);
        expect_done(from, 2, "the replies to a window with a bad frame");
        for (i = 0; i < 100; i = i + 1)
            if (ram[1024 + i] != ((1 * 13 + i * 7 + 1) & 8'hFF)) begin
                fail("the write before the bad frame did not land");
                i = 100;
            end
        for (i = 100; i < 400; i = i + 1)
            if (ram[1024 + i] != 8'h00) begin
                fail("a write after a bad frame landed");
                i = 400;
            end

        // A length byte out of range (0), one more byte, then at once a good write: dropped too.
        from = ngot;
        set_address(24'h000800);
        settle(300);
        send_byte(8'h00);
        send_byte(8'h55);
        write_data(8'h06, 10, 4, 0);
        settle(300);
        expect_done(from, 1, "a frame after a length of 0 was answered");
        for (i = 0; i < 12; i = i + 1)
            if (ram[2048 + i] != 8'h00) begin
                fail("a write after a length of 0 landed");
                i = 12;
            end
        from = ngot;
        payload[0] = 8'h40;
        send_frame(1, 0);
        settle(20);
        expect_done(from, 1, "the board not in step after a line error");

        // Checksum of "123456789" in RAM: the CRC-32 of the Ethernet, 0xCBF43926; the address
        // stands after the last byte.
        from = ngot;
        set_address(24'h000A00);
        payload[0] = 8'h44; payload[1] = 8'h06;
        for (i = 0; i < 9; i = i + 1) payload[2 + i] = "1" + i;
        send_frame(11, 0);
        set_address(24'h000A00);
        settle(50);
        expect_done(from, 3, "the writes before the checksum not answered");
        from = ngot;
        count_request(8'h4A, 8'h06, 9);
        settle(50);
        expect_checksum(from, 32'hCBF43926, "the checksum of 123456789 is not 0xCBF43926");
        read_address(address);
        if (address != 24'h000A09) fail("the address after a checksum is not after its bytes");

        // Fill of RAM: 300 bytes of 0xA5, nothing beyond them; a count of 0 is not a request.
        from = ngot;
        set_address(24'h000C00);
        fill(8'h06, 8'hA5, 300);
        fill(8'h06, 8'h11, 0);
        settle(300);
        expect_done(from, 2, "a fill not answered once, or a fill of 0 answered");
        for (i = 0; i < 301; i = i + 1)
            if (ram[3072 + i] != (i < 300 ? 8'hA5 : 8'h00)) begin
                fail("a fill of RAM wrote other bytes than asked");
                i = 301;
            end

        // Fill of Flash through its program path (a chip of 6 us a byte, never written while
        // busy), then its checksum through the Flash data register: 128 bytes of 0x00.
        from = ngot;
        set_address(24'h000200);
        fill(8'h07, 8'h00, 128);
        settle(2000);
        expect_done(from, 2, "the Flash fill not answered");
        for (i = 0; i < 129; i = i + 1)
            if (flash.mem[512 + i] != (i < 128 ? 8'h00 : 8'hFF)) begin
                fail("a fill of Flash wrote other bytes than asked");
                i = 129;
            end
        if (flash.refused != 0) fail("the Flash was written while busy during a fill");
        from = ngot;
        put_reg(4, 8'hFF); // read array
        put_reg(0, 8'hF5);
        put_reg(0, 8'hF7);
        set_address(24'h000200);
        settle(50);
        expect_done(from, 4, "the requests before the Flash checksum not answered");
        from = ngot;
        count_request(8'h4A, 8'h07, 128);
        settle(500); // the reply comes once the last byte is read
        expect_checksum(from, 32'hC2A8FA9D, "the checksum of 128 zero bytes of Flash");

        // Run-length read of RAM: 20 bytes as they are, 200 of 0xFF, a literal whose last bytes
        // are a run, zeros: it stands for exactly the 1000 bytes asked for.
        set_address(24'h000E00);
        write_data(8'h06, 20, 7, 0);
        fill(8'h06, 8'hFF, 200);
        payload[0] = 8'h44; payload[1] = 8'h06;
        payload[2] = 8'h01; payload[3] = 8'h02; payload[4] = 8'h03; payload[5] = 8'h03;
        payload[6] = 8'h03;
        send_frame(7, 0);
        set_address(24'h000E00);
        settle(100);
        from = ngot;
        count_request(8'h4C, 8'h06, 1000);
        settle(2000);
        decode_runs(from, 24'h000E00, covered);
        if (covered != 1000) fail("a run-length read does not stand for the bytes asked for");
        // 21 bytes for the literal, 4 for the 0xFF, 3 + 2 for 01 02 03 03 03, 14 for the zeros.
        if (ngot - from != 47) fail("a run-length read of runs is not as short as it can be");
        read_address(address);
        if (address != 24'h000E00 + 1000) fail("the address after a run-length read is off");

        // Run-length read of bytes without runs: the reply fills its M bytes at most, stands for
        // fewer bytes than asked, and the address stands right after the last of them.
        set_address(24'h000000);
        write_data(8'h06, 250, 9, 0);
        write_data(8'h06, 250, 10, 0);
        set_address(24'h000000);
        settle(300);
        from = ngot;
        count_request(8'h4C, 8'h06, 400);
        settle(2000);
        decode_runs(from, 0, covered);
        if (covered <= 0 || covered >= 400 || got[from] > 8'd255)
            fail("a run-length read without runs is not cut to its reply");
        read_address(address);
        if (address != covered) fail("the address after a cut run-length read is off");

        if (failures == 0) $display("PASS");
        $finish;
    end
endmodule
`default_nettype wire
