#include "PrintingSinks.h"

#include "ProgressDisplay.h"
#include "StringTable.h"

#include <ostream>

namespace tessary::cli {
namespace {

// The status text of each block of an erase; all other progress counts bytes.
constexpr std::string_view kErasingBlock = "Erasing block: ";

bool CaptionAddsMeaning(const std::string& caption) {
    return !caption.empty() && caption != "Error" && caption != "error" &&
           caption != LoadResString(kStrErrorCaption);
}

} // namespace

void PrintingStatus::SetStatusText(const std::string& text) {
    lastText_ = text;
    const bool perBlock = text.starts_with(kErasingBlock) || text.starts_with("Saving block: ") ||
                          text.starts_with("Restoring block: ") ||
                          text.starts_with("Checking block: ");
    unit_ = perBlock ? ProgressUnit::Blocks : ProgressUnit::Bytes;
    if (progress_ != nullptr) {
        progress_->SetText(text, unit_);
    }
}

void PrintingStatus::ReportProgress(int64_t done, int64_t total) {
    (unit_ == ProgressUnit::Blocks ? blocks_ : bytes_) = done;
    if (progress_ != nullptr) {
        progress_->Update(done, total);
    }
}

void PrintingStatus::EndProgress() {
    if (progress_ != nullptr) {
        progress_->End();
    }
}

void PrintingMessages::ShowMessage(const std::string& text, const std::string& caption,
                                   MessageIcon icon, bool ownedByPage) {
    ShowMessageWithCause(text, caption, icon, ownedByPage, std::string());
}

void PrintingMessages::ShowMessageWithCause(const std::string& text, const std::string& caption,
                                            MessageIcon icon, bool, const std::string& cause) {
    shown_.push_back({text, caption, icon, cause});
    if (progress_ != nullptr && progress_->ShowMessage(shown_.back())) {
        return;
    }
    err_ << "error: " << text;
    if (CaptionAddsMeaning(caption)) {
        err_ << " (" << caption << ')';
    }
    err_ << '\n';
    if (!cause.empty()) {
        err_ << "  cause: " << cause << '\n';
    }
    err_ << std::flush;
}

void PrintingMessages::NoteFailure(const std::string& text, const std::string& caption,
                                   const std::string& cause) {
    ShowMessageWithCause(text, caption, MessageIcon::Error, true, cause);
}

} // namespace tessary::cli
