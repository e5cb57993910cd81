#include "TableDocument.h"

#include "QuoteText.h"

#include <map>
#include <sstream>

namespace tessary::lnkutil {
namespace {

constexpr size_t kTabWidth = 8;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

size_t Advance(size_t column, char c) {
    return c == '\t' ? (column / kTabWidth + 1) * kTabWidth : column + 1;
}

// The display column at which byte `offset` of the text stands.
size_t ColumnAt(std::string_view text, size_t offset) {
    size_t column = 0;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        column = Advance(column, text[i]);
    }
    return column;
}

// Where the words of a line are: byte ranges before the comment, and where the comment starts.
struct Shape {
    std::vector<std::pair<size_t, size_t>> words; // [start, end)
    size_t comment = std::string_view::npos;
    size_t indentEnd = 0;
};

Shape ShapeOf(std::string_view content) {
    Shape shape;
    shape.comment = content.find('#');
    const std::string_view body = content.substr(0, shape.comment);
    size_t pos = 0;
    while (pos < body.size()) {
        while (pos < body.size() && IsBlank(body[pos])) {
            ++pos;
        }
        const size_t start = pos;
        while (pos < body.size() && !IsBlank(body[pos])) {
            ++pos;
        }
        if (pos > start) {
            shape.words.emplace_back(start, pos);
        }
    }
    shape.indentEnd = shape.words.empty() ? body.size() : shape.words.front().first;
    return shape;
}

bool HasTab(std::string_view text) {
    return text.find('\t') != std::string_view::npos;
}

// Where the word after a gap goes: the column it had when the gap was an alignment (a tab or more
// than one blank), one blank after the previous word when the gap was a single blank.
ColumnStop StopAfterGap(std::string_view content, std::string_view gap, size_t wordStart) {
    if (gap == " ") {
        return {};
    }
    return {ColumnAt(content, wordStart), HasTab(gap)};
}

// Appends blanks that bring `column` to `target`, at least one: tabs first when `tabs`.
void PadTo(std::string& out, size_t& column, size_t target, bool tabs) {
    if (column >= target) {
        out += tabs ? '\t' : ' ';
        column = Advance(column, out.back());
        return;
    }
    while (tabs && Advance(column, '\t') <= target) {
        out += '\t';
        column = Advance(column, '\t');
    }
    out.append(target - column, ' ');
    column = target;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

// Whether the line reads back as the entry, as the library will read it.
bool LineReadsAs(std::string_view content, const DeviceEntry& entry, std::string* reason) {
    DeviceEntry read;
    std::string why;
    if (!ParseDeviceLine(content, &read, &why)) {
        *reason = "its line '" + QuoteForMessage(content) + "' would not read back: " + why;
        return false;
    }
    if (!(read == entry)) {
        *reason = "its line '" + QuoteForMessage(content) + "' would read back as '" +
                  QuoteForMessage(Joined(EntryWords(read))) + "'";
        return false;
    }
    return true;
}

} // namespace

bool EntryReadsBack(const DeviceEntry& entry, std::string* reason) {
    return LineReadsAs(Joined(EntryWords(entry)), entry, reason);
}

std::vector<std::string> EntryWords(const DeviceEntry& entry) {
    std::vector<std::string> words = {entry.name, std::string(DeviceKindName(entry.kind))};
    if (entry.isDefault) {
        words.emplace_back("default");
    }
    for (const auto& [key, value] : entry.options) {
        words.push_back(key + "=" + value);
    }
    return words;
}

std::string RewriteLine(std::string_view content, const std::vector<std::string>& words,
                        const std::vector<ColumnStop>& stops) {
    const Shape old = ShapeOf(content);
    std::string out(content.substr(0, old.indentEnd));
    size_t column = ColumnAt(out, out.size());
    for (size_t k = 0; k < words.size(); ++k) {
        if (k > 0 && k < old.words.size()) {
            const size_t gapStart = old.words[k - 1].second;
            const std::string_view gap = content.substr(gapStart, old.words[k].first - gapStart);
            const ColumnStop stop = StopAfterGap(content, gap, old.words[k].first);
            PadTo(out, column, stop.column, stop.tabs);
        } else if (k > 0) {
            const ColumnStop stop = k < stops.size() ? stops[k] : ColumnStop{};
            PadTo(out, column, stop.column, stop.tabs);
        }
        out += words[k];
        column += words[k].size();
    }
    if (old.comment != std::string_view::npos) {
        const size_t gapStart = old.words.empty() ? old.indentEnd : old.words.back().second;
        const std::string_view gap = content.substr(gapStart, old.comment - gapStart);
        if (!gap.empty()) {
            const ColumnStop stop = StopAfterGap(content, gap, old.comment);
            PadTo(out, column, stop.column, stop.tabs);
        }
        out += content.substr(old.comment);
    }
    return out;
}

TableDocument TableDocument::FromText(std::string_view text, std::string_view source,
                                      std::ostream& warnings) {
    TableDocument document;
    document.table_.Parse(text, source, warnings, &document.entryLines_);
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        Line line;
        if (newline == std::string_view::npos) {
            line.content = text;
            text = {};
        } else {
            line.content = text.substr(0, newline);
            line.ending = "\n";
            text.remove_prefix(newline + 1);
            if (!line.content.empty() && line.content.back() == '\r') {
                line.content.pop_back();
                line.ending = "\r\n";
            }
        }
        document.lines_.push_back(std::move(line));
    }
    return document;
}

TableDocument TableDocument::FromTable(const DeviceTable& table) {
    std::ostringstream none;
    return FromText(table.Format(), "", none);
}

std::string TableDocument::Text() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.content;
        text += line.ending;
    }
    return text;
}

std::string TableDocument::DominantEnding() const {
    size_t crlf = 0;
    size_t lf = 0;
    for (const Line& line : lines_) {
        crlf += line.ending == "\r\n" ? 1 : 0;
        lf += line.ending == "\n" ? 1 : 0;
    }
    return crlf > lf ? "\r\n" : "\n";
}

std::vector<ColumnStop> TableDocument::Layout() const {
    // Per word index: how many entry lines start that word at each (column, tabs).
    std::vector<std::map<std::pair<size_t, bool>, size_t>> seen;
    for (size_t line : entryLines_) {
        const std::string_view content = lines_[line].content;
        const Shape shape = ShapeOf(content);
        for (size_t k = 1; k < shape.words.size(); ++k) {
            const size_t gapStart = shape.words[k - 1].second;
            const bool tabs = HasTab(content.substr(gapStart, shape.words[k].first - gapStart));
            seen.resize(std::max(seen.size(), k + 1));
            ++seen[k][{ColumnAt(content, shape.words[k].first), tabs}];
        }
    }
    // A column only one line of several uses is that line's accident, not the file's layout.
    const size_t needed = entryLines_.size() > 1 ? 2 : 1;
    std::vector<ColumnStop> stops(seen.size());
    for (size_t k = 1; k < seen.size(); ++k) {
        size_t best = 0;
        for (const auto& [stop, count] : seen[k]) {
            if (count > best && count >= needed) {
                best = count;
                stops[k] = ColumnStop{stop.first, stop.second};
            }
        }
    }
    return stops;
}

void TableDocument::AppendLine(const DeviceEntry& entry) {
    const std::string indent =
        entryLines_.empty() ? std::string()
                            : std::string(lines_[entryLines_.front()].content.substr(
                                  0, ShapeOf(lines_[entryLines_.front()].content).indentEnd));
    const std::vector<ColumnStop> stops = Layout();
    const std::string ending = DominantEnding();
    if (!lines_.empty() && lines_.back().ending.empty()) {
        lines_.back().ending = ending;
    }
    lines_.push_back(Line{RewriteLine(indent, EntryWords(entry), stops), ending});
    entryLines_.push_back(lines_.size() - 1);
}

void TableDocument::Follow(const std::vector<DeviceEntry>& before) {
    const std::vector<DeviceEntry>& after = table_.entries();
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (!(before[i] == after[i])) {
            std::string& content = lines_[entryLines_[i]].content;
            content = RewriteLine(content, EntryWords(after[i]), {});
        }
    }
}

bool TableDocument::Add(DeviceEntry entry, std::string* reason) {
    const TableDocument before = *this;
    if (!table_.Add(std::move(entry), reason)) {
        return false;
    }
    Follow(before.table_.entries());
    AppendLine(table_.entries().back());
    return Settle(before, reason);
}

bool TableDocument::Replace(size_t index, DeviceEntry entry, std::string* reason) {
    const TableDocument before = *this;
    if (!table_.Replace(index, std::move(entry), reason)) {
        return false;
    }
    Follow(before.table_.entries());
    return Settle(before, reason);
}

bool TableDocument::Settle(const TableDocument& before, std::string* reason) {
    const std::vector<DeviceEntry>& entries = table_.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!LineReadsAs(lines_[entryLines_[i]].content, entries[i], reason)) {
            *reason = "device '" + QuoteForMessage(entries[i].name) + "': " + *reason;
            *this = before;
            return false;
        }
    }
    Reread();
    return true;
}

bool TableDocument::Remove(size_t index) {
    if (!table_.Remove(index)) {
        return false;
    }
    const size_t line = entryLines_[index];
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
    Reread();
    return true;
}

bool TableDocument::SetDefault(int index) {
    const std::vector<DeviceEntry> before = table_.entries();
    if (!table_.SetDefault(index)) {
        return false;
    }
    Follow(before);
    Reread();
    return true;
}

void TableDocument::Reread() {
    std::ostringstream ignored; // the file's own warnings came when it was opened
    *this = FromText(Text(), "", ignored);
}

} // namespace tessary::lnkutil
