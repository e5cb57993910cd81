#include "ReportBatch.h"

namespace tessary {

void ReportBatch::AddText(std::string_view text) {
    kinds_.push_back(Kind::Text);
    textLengths_.push_back(static_cast<uint32_t>(text.size()));
    texts_.append(text);
}

void ReportBatch::AddProgress(int64_t done, int64_t total) {
    kinds_.push_back(Kind::Progress);
    figures_.push_back({done, total});
}

void ReportBatch::AddEnd() {
    kinds_.push_back(Kind::End);
}

void ReportBatch::Append(const ReportBatch& other) {
    kinds_.insert(kinds_.end(), other.kinds_.begin(), other.kinds_.end());
    textLengths_.insert(textLengths_.end(), other.textLengths_.begin(), other.textLengths_.end());
    texts_.append(other.texts_);
    figures_.insert(figures_.end(), other.figures_.begin(), other.figures_.end());
}

void ReportBatch::Clear() {
    kinds_.clear();
    textLengths_.clear();
    texts_.clear();
    figures_.clear();
}

} // namespace tessary
