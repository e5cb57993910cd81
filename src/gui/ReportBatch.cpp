#include "ReportBatch.h"

namespace tessary {

void ReportBatch::AddText(std::string_view text) {
    reports_.push_back({Report::Kind::Text, static_cast<uint32_t>(texts_.size()),
                        static_cast<uint32_t>(text.size())});
    texts_.append(text);
}

void ReportBatch::AddProgress(int64_t done, int64_t total) {
    reports_.push_back({Report::Kind::Progress, 0, 0, done, total});
}

void ReportBatch::AddEnd() {
    reports_.push_back({Report::Kind::End});
}

void ReportBatch::Append(const ReportBatch& other) {
    const auto shift = static_cast<uint32_t>(texts_.size());
    for (Report report : other.reports_) {
        report.textOffset += report.kind == Report::Kind::Text ? shift : 0;
        reports_.push_back(report);
    }
    texts_.append(other.texts_);
}

void ReportBatch::Clear() {
    reports_.clear();
    texts_.clear();
}

} // namespace tessary
