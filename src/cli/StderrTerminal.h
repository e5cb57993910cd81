#pragma once

namespace tessary::cli {

// Whether stderr is a terminal that can redraw a line (not a pipe, a file or TERM=dumb).
bool StderrIsTerminal();

// Columns of the terminal on stderr; 80 when it does not say.
int StderrColumns();

} // namespace tessary::cli
