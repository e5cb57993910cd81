// A bench's verdict, included in its module: fail() prints what went wrong and counts it; the
// bench prints PASS at its end when failures is still 0.
integer failures = 0;
task fail(input [8*96-1:0] what);
    begin
        $display("FAIL: %0s", what);
        failures = failures + 1;
    end
endtask
