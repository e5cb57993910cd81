#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tessary::cli {

// The progress of several boards at once on stderr, from the JSON lines each board's process
// writes there. On a terminal one line per board, redrawn in place at most five times a second;
// elsewhere lines with the board's name in front, a new one for a board when its phase changes,
// at each tenth of its transfer or when five seconds have passed; as JSON the boards' lines
// themselves (they name their board); or none. A board's error messages are printed as
// "BOARD: error: TEXT" lines in every style but JSON.
class GangDisplay {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Style { Terminal, Lines, Json, None };

    GangDisplay(std::ostream& err, Style style, std::vector<std::string> boards, int width,
                std::function<Clock::time_point()> now = Clock::now);

    // A line the board's process wrote on stderr.
    void BoardLine(std::size_t board, const std::string& line);
    // Every board has ended: the terminal's lines are drawn one last time.
    void Finish();

  private:
    struct Board {
        std::string label;
        std::string phase;
        std::string kind; // the phase without its number: "Erasing block: "
        std::string status;
        int64_t done = 0;
        int64_t total = -1;
        int64_t block = -1;
        int64_t blocks = -1;
        double rate = 0;
        bool ended = false;
        int tenthPrinted = -1;
        Clock::time_point printed{};
    };

    std::string Describe(const Board& board) const;
    void Message(const Board& board, const std::string& text, const std::string& caption,
                 const std::string& cause);
    void Plain(const Board& board, const std::string& text);
    void MaybePrintLine(Board& board);
    void Redraw(bool now);
    void ClearLines();

    std::ostream& err_;
    Style style_;
    std::vector<Board> boards_;
    std::size_t labelWidth_ = 0;
    int width_;
    std::function<Clock::time_point()> now_;
    bool drawn_ = false;
    Clock::time_point drawnAt_{};
};

} // namespace tessary::cli
