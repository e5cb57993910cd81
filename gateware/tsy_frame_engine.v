// The board's side of the serial register protocol. A frame is N, N payload bytes and a
// checksum that makes all N + 2 bytes add up to 0. The engine takes a whole request into its
// frame buffer, checks it, carries it out on the register block and sends the reply; requests
// with a wrong checksum, an unknown command, a payload that does not match its command or more
// payload than the board accepts are dropped without a reply (and without touching anything).
//
// With `fast` high the identity ends with " {fast w=W m=M[ f=F] x=cfr}" and the board takes
// request payloads up to MAX_PAYLOAD bytes, replies up to MAX_PAYLOAD bytes, the compact read
// 0x49 and the requests it carries out on its own side of the line: the CRC-32 of count bytes
// read through a register (0x4A), count writes of one value (0x4B) and a read whose reply codes
// runs of one value (0x4C); with `fast` low it is a basic board: no announcement, 65 bytes at
// most, none of those.
//
// A line error leaves the byte stream without its frame boundaries: lost input (a full receive
// FIFO or a broken stop bit), a wrong checksum, a length of 0 or over the limit, or a frame that
// stops arriving for GAP_BITS bit times. The engine then drops everything, the frames already
// received with it, until the line has been quiet for QUIET_BITS bit times, so nothing it carries
// out is built from a misread frame, and the requests it carried out are an exact prefix of those
// sent.
`default_nettype none
module tsy_frame_engine #(
    parameter MAX_PAYLOAD = 255,
    parameter WINDOW      = 4,
    parameter IDENTITY    = "Tessary RTL controller",
    parameter QUIET_BITS  = 512,
    parameter GAP_BITS    = 65535
) (
    input  wire        clk,
    input  wire        rst,
    input  wire        fast,
    input  wire [31:0] flash_bytes, // 0 = not announced
    input  wire [15:0] div,

    // Receive side: bytes from the receive FIFO.
    input  wire        in_empty,
    output reg         in_rd,
    input  wire [7:0]  in_data,
    input  wire        in_lost,    // a byte was lost on its way in
    input  wire        line_busy,  // the receiver is inside a byte
    output reg         in_clear,

    // Transmit side: bytes into the transmit FIFO (`out_full` high while one more byte than it
    // holds could be on its way in).
    input  wire        out_full,
    output reg         out_wr,
    output reg  [7:0]  out_data,

    // The register block.
    output reg         bus_req,
    output reg         bus_we,
    output reg  [7:0]  bus_addr,
    output reg  [7:0]  bus_wdata,
    input  wire        bus_ack,
    input  wire [7:0]  bus_rdata,

    output wire        waiting // nothing under way: waiting for the first byte of a frame
);
    localparam [7:0] CMD_PROBE = 8'h40, CMD_IDENTITY = 8'h41, CMD_PUT_REG = 8'h43,
                     CMD_PUT_REPEAT = 8'h44, CMD_PUT_SET = 8'h45, CMD_GET_REG = 8'h46,
                     CMD_GET_REPEAT = 8'h47, CMD_GET_SET = 8'h48, CMD_GET_COMPACT = 8'h49,
                     CMD_CHECKSUM = 8'h4A, CMD_FILL = 8'h4B, CMD_READ_RUNS = 8'h4C;
    localparam [7:0] REPLY_DONE = 8'h81, REPLY_IDENTITY = 8'h82, REPLY_REGISTER = 8'h83,
                     REPLY_SET = 8'h84, REPLY_VALUES = 8'h85, REPLY_CHECKSUM = 8'h86,
                     REPLY_RUNS = 8'h87;
    localparam [7:0] BASIC_PAYLOAD = 8'd65;

    // ---- The identity text: the parameter, then the announcement, NULs skipped. ----
    localparam ID_CHARS = 28;
    /* verilator lint_off WIDTH */
    localparam [8*ID_CHARS-1:0] ID_TEXT = IDENTITY; // shorter text: NULs in front
    /* verilator lint_on WIDTH */

    // Decimal digits of 0..255, leading zeros as NUL.
    /* verilator lint_off UNUSEDSIGNAL */
    function [23:0] dec3;
        input integer v;
        integer hundreds, tens, units;
        begin
            hundreds = v / 100;
            tens     = (v / 10) % 10;
            units    = v % 10;
            dec3 = {v >= 100 ? 8'd48 + hundreds[7:0] : 8'd0,
                    v >= 10 ? 8'd48 + tens[7:0] : 8'd0, 8'd48 + units[7:0]};
        end
    endfunction
    /* verilator lint_on UNUSEDSIGNAL */

    localparam HEAD_CHARS = 18;
    localparam [8*HEAD_CHARS-1:0] FAST_HEAD = {" {fast w=", dec3(WINDOW), " m=", dec3(MAX_PAYLOAD)};
    localparam TAIL_CHARS = 7;
    localparam [8*TAIL_CHARS-1:0] FAST_TAIL = " x=cfr}";
    localparam TEXT_CHARS = ID_CHARS + HEAD_CHARS + 11 + TAIL_CHARS; // at most 63 shown

    reg [87:0] flash_text; // " f=" and eight hex digits, leading zeros as NUL
    integer k;
    reg seen;
    reg [3:0] nib;
    always @* begin
        flash_text = {" f=", 64'd0};
        seen = 1'b0;
        for (k = 7; k >= 0; k = k - 1) begin
            nib = flash_bytes[4*k +: 4];
            seen = seen || nib != 4'd0;
            flash_text[8*k +: 8] = !seen ? 8'd0 : (nib < 4'd10 ? 8'd48 + {4'd0, nib} : 8'd87 + {4'd0, nib});
        end
        if (flash_bytes == 32'd0 || !fast) flash_text = 88'd0;
    end
    wire [8*TEXT_CHARS-1:0] text = {ID_TEXT, fast ? FAST_HEAD : {8*HEAD_CHARS{1'b0}}, flash_text,
                                    fast ? FAST_TAIL : {8*TAIL_CHARS{1'b0}}};

    // ---- State ----
    localparam [4:0] S_LEN = 5'd0, S_PAYLOAD = 5'd1, S_CHECK = 5'd2,
                     S_DISCARD = 5'd4, S_DECODE = 5'd5, S_FETCH = 5'd6, S_FETCHED = 5'd7,
                     S_WRITE = 5'd8, S_BUS = 5'd9, S_REPLY = 5'd10, S_SEND = 5'd11,
                     S_BODY = 5'd12, S_READ = 5'd13, S_ID_COUNT = 5'd14, S_ID_SEND = 5'd15,
                     S_SUM = 5'd16, S_TAKE = 5'd17, S_TAKE_WAIT = 5'd18,
                     S_READ_WAIT = 5'd19, S_LOOP = 5'd20, S_LOOP_BUS = 5'd21,
                     S_RUN_ADD = 5'd22, S_RUN_PUT = 5'd23;

    reg [4:0]  state;
    reg [4:0]  after;       // where S_SEND, S_BUS and S_TAKE return to
    reg [4:0]  take_state;  // the receiving state that asked for a byte
    reg [7:0]  frame_len;   // N
    reg [8:0]  index;
    reg [7:0]  sum;
    reg [7:0]  cmd, arg1, arg2, arg3, arg4, arg5;
    reg [7:0]  reply_len;
    reg [7:0]  send_byte;
    reg [23:0] left;        // values still to read, bytes to check, fill or code
    reg [7:0]  read_reg;
    reg        pair_data;   // register list write: the next fetched byte is the value
    reg        set_value;   // register list read: the register went out, its value follows
    reg [6:0]  text_pos;
    reg        lost;
    reg [15:0] bit_clocks;
    reg [15:0] quiet_bits;
    reg [15:0] gap_bits;

    // The frame buffer holds the request, then the body of a run-length reply. One write a
    // clock, registered: the byte lands in the buffer on the clock after it is asked for.
    reg [7:0]  frame [0:255];
    reg [7:0]  fetch_addr;
    reg [7:0]  fetched;
    reg        put;
    reg [7:0]  put_addr;
    reg [7:0]  put_data;

    // The run-length coder: the body so far is frame[0 .. body_len - 1], the item being coded has
    // its header slot at `item` and its header in `header`; `last` is the byte read before.
    reg [7:0]  body_len;
    reg [7:0]  item;
    reg [7:0]  header;
    reg [7:0]  last;
    reg [7:0]  value_in;
    wire       header_run = header[7];

    wire [7:0] accept_limit = fast ? MAX_PAYLOAD[7:0] : BASIC_PAYLOAD;
    wire [7:0] argc = frame_len - 8'd1;
    wire [7:0] text_char = text[8*(TEXT_CHARS - 1 - text_pos) +: 8];
    // A byte is read only while two more fit in the reply after its code (payload of at most
    // MAX_PAYLOAD): a new item takes a header and the byte.
    wire       body_room = {1'b0, body_len} + 9'd3 <= {1'b0, accept_limit};

    wire [31:0] crc;
    tsy_crc32 checksum (
        .clk(clk), .clear(state == S_DECODE), .take(state == S_LOOP_BUS && bus_ack),
        .data(bus_rdata), .value(crc)
    );
    wire [1:0] crc_at = 2'd0 - left[1:0]; // left = 4..1: bytes 0..3
    wire [7:0] crc_byte = crc_at == 2'd0 ? crc[7:0] : crc_at == 2'd1 ? crc[15:8]
                        : crc_at == 2'd2 ? crc[23:16] : crc[31:24];

    wire       receiving = (state == S_PAYLOAD || state == S_CHECK ||
                            state == S_TAKE_WAIT || state == S_TAKE);

    assign waiting = (state == S_LEN) && in_empty && !line_busy && !lost;

    always @(posedge clk) fetched <= frame[fetch_addr];
    always @(posedge clk) if (put) frame[put_addr] <= put_data;

    // Bit times, for the quiet and gap counters.
    wire bit_tick = (bit_clocks == 16'd0);
    always @(posedge clk) begin
        if (rst || bit_tick) bit_clocks <= div - 16'd1;
        else bit_clocks <= bit_clocks - 16'd1;
    end

    always @(posedge clk) begin
        in_rd    <= 1'b0;
        in_clear <= 1'b0;
        out_wr   <= 1'b0;
        bus_req  <= 1'b0;
        put      <= 1'b0;
        if (in_lost) lost <= 1'b1;
        if (rst) begin
            state <= S_LEN;
            lost  <= 1'b0;
        end else if (lost && (state == S_LEN || receiving)) begin
            // Everything up to a quiet line goes, the frames already received with it.
            lost       <= 1'b0;
            in_clear   <= 1'b1;
            quiet_bits <= 16'd0;
            state      <= S_DISCARD;
        end else begin
            case (state)
            S_DISCARD: begin
                in_clear <= 1'b1;
                if (line_busy || !in_empty) quiet_bits <= 16'd0;
                else if (bit_tick) quiet_bits <= quiet_bits + 16'd1;
                if (quiet_bits >= QUIET_BITS) begin
                    in_clear <= 1'b0;
                    state    <= S_LEN;
                end
            end
            S_LEN: if (!in_empty) begin
                in_rd      <= 1'b1;
                take_state <= S_LEN;
                gap_bits   <= 16'd0;
                state      <= S_TAKE_WAIT;
            end
            S_PAYLOAD, S_CHECK: begin
                if (!in_empty) begin
                    in_rd      <= 1'b1;
                    take_state <= state;
                    gap_bits   <= 16'd0;
                    state      <= S_TAKE_WAIT;
                end else if (bit_tick) begin
                    gap_bits <= gap_bits + 16'd1;
                    if (gap_bits >= GAP_BITS) lost <= 1'b1;
                end
            end
            S_TAKE_WAIT: state <= S_TAKE; // the FIFO reads at the end of this cycle
            S_TAKE: begin
                sum <= sum + in_data;
                case (take_state)
                S_LEN: begin
                    frame_len <= in_data;
                    sum       <= in_data;
                    index     <= 9'd0;
                    state     <= S_PAYLOAD;
                    if (in_data == 8'd0 || in_data > accept_limit) lost <= 1'b1;
                end
                S_PAYLOAD: begin
                    put      <= 1'b1;
                    put_addr <= index[7:0];
                    put_data <= in_data;
                    if (index == 9'd0) cmd <= in_data;
                    if (index == 9'd1) arg1 <= in_data;
                    if (index == 9'd2) arg2 <= in_data;
                    if (index == 9'd3) arg3 <= in_data;
                    if (index == 9'd4) arg4 <= in_data;
                    if (index == 9'd5) arg5 <= in_data;
                    index <= index + 9'd1;
                    state <= (index + 9'd1 == {1'b0, frame_len}) ? S_CHECK : S_PAYLOAD;
                end
                default: begin // S_CHECK
                    state <= (sum + in_data == 8'd0) ? S_DECODE : S_LEN;
                    if (sum + in_data != 8'd0) lost <= 1'b1;
                end
                endcase
            end
            S_DECODE: begin
                state <= S_LEN; // dropped unless it is a request we carry out
                case (cmd)
                CMD_PROBE: if (argc == 8'd0) begin
                    reply_len <= 8'd1;
                    state     <= S_REPLY;
                end
                CMD_IDENTITY: if (argc == 8'd0) begin
                    text_pos  <= 7'd0;
                    reply_len <= 8'd1;
                    state     <= S_ID_COUNT;
                end
                CMD_PUT_REG: if (argc == 8'd2) begin
                    bus_we    <= 1'b1;
                    bus_addr  <= arg1;
                    bus_wdata <= arg2;
                    bus_req   <= 1'b1;
                    reply_len <= 8'd1;
                    after     <= S_REPLY;
                    state     <= S_BUS;
                end
                CMD_PUT_REPEAT: if (argc >= 8'd1) begin
                    index     <= 9'd2;
                    pair_data <= 1'b1;
                    reply_len <= 8'd1;
                    state     <= S_WRITE;
                end
                CMD_PUT_SET: if (!argc[0]) begin
                    index     <= 9'd1;
                    pair_data <= 1'b0;
                    reply_len <= 8'd1;
                    state     <= S_WRITE;
                end
                CMD_GET_REG: if (argc == 8'd1) begin
                    set_value <= 1'b0;
                    reply_len <= 8'd3;
                    state     <= S_REPLY;
                end
                CMD_GET_REPEAT:
                    if (argc >= 8'd2 && argc == arg1 + 8'd2 && arg1 < accept_limit) begin
                        reply_len <= arg1 + 8'd1;
                        left      <= {16'd0, arg1};
                        read_reg  <= arg2;
                        state     <= S_REPLY;
                    end
                CMD_GET_SET: if ({argc, 1'b1} <= {1'b0, accept_limit}) begin
                    reply_len <= {argc[6:0], 1'b1};
                    index     <= 9'd1;
                    set_value <= 1'b0;
                    state     <= S_REPLY;
                end
                CMD_GET_COMPACT:
                    if (fast && argc == 8'd2 && arg2 != 8'd0 && arg2 < accept_limit) begin
                        reply_len <= arg2 + 8'd1;
                        left      <= {16'd0, arg2};
                        read_reg  <= arg1;
                        state     <= S_REPLY;
                    end
                // Register and a count (value and count for the fill), least significant byte
                // first; a count of 0 is not a request.
                CMD_CHECKSUM, CMD_READ_RUNS:
                    if (fast && argc == 8'd4 && {arg4, arg3, arg2} != 24'd0) begin
                        left     <= {arg4, arg3, arg2};
                        body_len <= 8'd0;
                        item     <= 8'd0;
                        header   <= 8'd0;
                        state    <= S_LOOP;
                    end
                CMD_FILL: if (fast && argc == 8'd5 && {arg5, arg4, arg3} != 24'd0) begin
                    left  <= {arg5, arg4, arg3};
                    state <= S_LOOP;
                end
                default: ;
                endcase
            end
            // Checksum, fill and run-length read: one access of `arg1` a turn, until the count
            // is done or (run-length read) the reply has no room for another byte.
            S_LOOP: begin
                if (left == 24'd0 || (cmd == CMD_READ_RUNS && !body_room)) begin
                    state <= S_REPLY;
                    case (cmd)
                    CMD_CHECKSUM: begin
                        reply_len <= 8'd5;
                        left      <= 24'd4;
                    end
                    CMD_READ_RUNS: begin
                        // The last item's header goes into its slot.
                        put       <= 1'b1;
                        put_addr  <= item;
                        put_data  <= header;
                        reply_len <= body_len + 8'd1;
                        index     <= 9'd0;
                    end
                    default: reply_len <= 8'd1;
                    endcase
                end else begin
                    left      <= left - 24'd1;
                    bus_we    <= (cmd == CMD_FILL);
                    bus_addr  <= arg1;
                    bus_wdata <= arg2;
                    bus_req   <= 1'b1;
                    state     <= S_LOOP_BUS;
                end
            end
            // A checksum takes the byte read as it comes (tsy_crc32), a fill goes on.
            S_LOOP_BUS: if (bus_ack) begin
                value_in <= bus_rdata;
                state    <= (cmd == CMD_READ_RUNS) ? S_RUN_ADD : S_LOOP;
            end
            // The byte read joins the body: it lengthens a run of its value or a literal, turns
            // a literal's last byte and itself into a run, or starts a new item.
            S_RUN_ADD: begin
                last  <= value_in;
                state <= S_LOOP;
                if (body_len != 8'd0 && header_run && value_in == last && header != 8'hFF) begin
                    header <= header + 8'd1;
                end else if (body_len != 8'd0 && !header_run && value_in == last) begin
                    if (header == 8'd0) begin
                        header <= 8'h81; // a literal of one byte: the same byte is its value
                    end else begin
                        // The literal gives up its last byte, whose slot becomes the run's
                        // header; the value follows it.
                        put      <= 1'b1;
                        put_addr <= item;
                        put_data <= header - 8'd1;
                        item     <= body_len - 8'd1;
                        header   <= 8'h81;
                        state    <= S_RUN_PUT;
                    end
                end else if (body_len != 8'd0 && !header_run && header != 8'h7F) begin
                    header   <= header + 8'd1;
                    body_len <= body_len + 8'd1;
                    put      <= 1'b1;
                    put_addr <= body_len;
                    put_data <= value_in;
                end else begin
                    // A new item of one byte as it is: the one before gets its header.
                    put      <= 1'b1;
                    put_addr <= item;
                    put_data <= header;
                    item     <= body_len;
                    header   <= 8'd0;
                    body_len <= body_len + 8'd1;
                    state    <= S_RUN_PUT;
                end
            end
            S_RUN_PUT: begin
                put      <= 1'b1;
                put_addr <= body_len;
                put_data <= value_in;
                body_len <= body_len + 8'd1;
                state    <= S_LOOP;
            end
            // Writes: 0x44 stores frame[2..] to arg1; 0x45 takes register, value pairs.
            S_WRITE: begin
                if (index >= {1'b0, frame_len}) begin
                    state <= S_REPLY;
                end else begin
                    fetch_addr <= index[7:0];
                    state      <= S_FETCH;
                end
            end
            S_FETCH: state <= S_FETCHED;
            S_FETCHED: begin
                index <= index + 9'd1;
                if (cmd == CMD_READ_RUNS) begin
                    send_byte <= fetched;
                    after     <= S_BODY;
                    state     <= S_SEND;
                end else if (cmd == CMD_GET_SET) begin
                    // A register of the list: it goes out, then its value.
                    read_reg  <= fetched;
                    send_byte <= fetched;
                    set_value <= 1'b1;
                    after     <= S_BODY;
                    state     <= S_SEND;
                end else if (!pair_data) begin
                    bus_addr  <= fetched;
                    pair_data <= 1'b1;
                    state     <= S_WRITE;
                end else begin
                    if (cmd == CMD_PUT_REPEAT) bus_addr <= arg1;
                    else pair_data <= 1'b0;
                    bus_we    <= 1'b1;
                    bus_wdata <= fetched;
                    bus_req   <= 1'b1;
                    after     <= S_WRITE;
                    state     <= S_BUS;
                end
            end
            S_BUS: if (bus_ack) state <= after;
            // The reply: length, code, body, checksum.
            S_REPLY: if (!out_full) begin
                out_wr   <= 1'b1;
                out_data <= reply_len;
                sum      <= reply_len;
                case (cmd)
                CMD_IDENTITY:   send_byte <= REPLY_IDENTITY;
                CMD_GET_REG:    send_byte <= REPLY_REGISTER;
                CMD_GET_SET:    send_byte <= REPLY_SET;
                CMD_GET_REPEAT, CMD_GET_COMPACT: send_byte <= REPLY_VALUES;
                CMD_CHECKSUM:   send_byte <= REPLY_CHECKSUM;
                CMD_READ_RUNS:  send_byte <= REPLY_RUNS;
                default:        send_byte <= REPLY_DONE;
                endcase
                text_pos <= 7'd0;
                after    <= (cmd == CMD_IDENTITY) ? S_ID_SEND : S_BODY;
                state    <= S_SEND;
            end
            S_SEND: if (!out_full) begin
                out_wr   <= 1'b1;
                out_data <= send_byte;
                sum      <= sum + send_byte;
                state    <= after;
            end
            S_BODY: begin
                case (cmd)
                CMD_GET_REG: begin
                    if (set_value) begin
                        state <= S_SUM; // the value went out
                    end else begin
                        set_value <= 1'b1;
                        read_reg  <= arg1;
                        send_byte <= arg1;
                        after     <= S_READ;
                        state     <= S_SEND;
                    end
                end
                CMD_GET_REPEAT, CMD_GET_COMPACT: begin
                    if (left == 24'd0) begin
                        state <= S_SUM;
                    end else begin
                        left  <= left - 24'd1;
                        state <= S_READ;
                    end
                end
                CMD_CHECKSUM: begin
                    // The CRC, least significant byte first.
                    if (left == 24'd0) begin
                        state <= S_SUM;
                    end else begin
                        left      <= left - 24'd1;
                        send_byte <= crc_byte;
                        after     <= S_BODY;
                        state     <= S_SEND;
                    end
                end
                CMD_READ_RUNS: begin
                    if (index >= {1'b0, body_len}) begin
                        state <= S_SUM;
                    end else begin
                        fetch_addr <= index[7:0];
                        state      <= S_FETCH;
                    end
                end
                CMD_GET_SET: begin
                    if (set_value) begin
                        set_value <= 1'b0;
                        state     <= S_READ;
                    end else if (index >= {1'b0, frame_len}) begin
                        state <= S_SUM;
                    end else begin
                        fetch_addr <= index[7:0];
                        state      <= S_FETCH;
                    end
                end
                default: state <= S_SUM;
                endcase
            end
            S_READ: begin
                // One register read; its value is sent and the body goes on.
                bus_we   <= 1'b0;
                bus_addr <= read_reg;
                bus_req  <= 1'b1;
                state    <= S_READ_WAIT;
            end
            S_READ_WAIT: if (bus_ack) begin
                send_byte <= bus_rdata;
                after     <= S_BODY;
                state     <= S_SEND;
            end
            S_ID_COUNT: begin
                if (text_char != 8'd0) reply_len <= reply_len + 8'd1;
                text_pos <= text_pos + 7'd1;
                if (text_pos == TEXT_CHARS - 1) state <= S_REPLY;
            end
            S_ID_SEND: begin
                if (text_pos == TEXT_CHARS) begin
                    state <= S_SUM;
                end else if (text_char == 8'd0) begin
                    text_pos <= text_pos + 7'd1;
                end else begin
                    send_byte <= text_char;
                    text_pos  <= text_pos + 7'd1;
                    after     <= S_ID_SEND;
                    state     <= S_SEND;
                end
            end
            default: if (!out_full) begin // S_SUM
                out_wr   <= 1'b1;
                out_data <= 8'd0 - sum;
                state    <= S_LEN;
            end
            endcase
        end
    end
endmodule
`default_nettype wire
