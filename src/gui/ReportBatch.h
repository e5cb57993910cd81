#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// Status reports of an operation, in the order it made them, kept compact: kinds and numbers in
// one array, the texts one after another in one string. Cleared and filled again, a batch keeps
// its storage, so gathering reports allocates nothing once it has held as many; and being small,
// it stays in the processor's caches while a transfer streams megabytes past them.
class ReportBatch {
  public:
    struct Report {
        enum class Kind : uint8_t { Text, Progress, End } kind;
        uint32_t textOffset = 0; // Text: where it starts in the batch's texts
        uint32_t textLength = 0;
        int64_t done = 0; // Progress
        int64_t total = 0;
    };

    void AddText(std::string_view text);
    void AddProgress(int64_t done, int64_t total);
    void AddEnd();
    // Adds the reports of another batch after these.
    void Append(const ReportBatch& other);
    void Clear();

    bool Empty() const { return reports_.empty(); }
    std::span<const Report> Reports() const { return reports_; }
    std::string_view Text(const Report& report) const {
        return std::string_view(texts_).substr(report.textOffset, report.textLength);
    }

  private:
    std::vector<Report> reports_;
    std::string texts_;
};

} // namespace tessary
