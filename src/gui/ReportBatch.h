#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Status reports of an operation, in the order it made them, kept compact: what kind each is,
// the progress figures, and the texts one after another, each in an array of its own (a block's
// text and progress take some 40 bytes). Cleared and filled again, a batch keeps its storage, so
// gathering reports allocates nothing once it has held as many; and small, it costs little to
// write while a transfer streams megabytes through the processor's caches.
class ReportBatch {
  public:
    void AddText(std::string_view text);
    void AddProgress(int64_t done, int64_t total);
    void AddEnd();
    // Adds the reports of another batch after these.
    void Append(const ReportBatch& other);
    void Clear();
    bool Empty() const { return kinds_.empty(); }

    // Hands each report, in order, to text(std::string_view), progress(done, total) or end().
    template <typename Text, typename Progress, typename End>
    void ForEach(Text&& text, Progress&& progress, End&& end) const {
        std::size_t texts = 0;
        std::size_t textAt = 0;
        std::size_t figures = 0;
        for (const Kind kind : kinds_) {
            switch (kind) {
            case Kind::Text: {
                const std::size_t length = textLengths_[texts++];
                text(std::string_view(texts_).substr(textAt, length));
                textAt += length;
                break;
            }
            case Kind::Progress:
                progress(figures_[figures].done, figures_[figures].total);
                ++figures;
                break;
            case Kind::End:
                end();
                break;
            }
        }
    }

  private:
    enum class Kind : uint8_t { Text, Progress, End };
    struct Figures {
        int64_t done;
        int64_t total;
    };

    std::vector<Kind> kinds_;
    std::vector<uint32_t> textLengths_;
    std::string texts_;
    std::vector<Figures> figures_;
};

} // namespace tessary
