// The device table file as its owner wrote it, edited in place. Lines no edit touches (comments,
// blank lines, lines the table cannot take, entries left alone) keep every byte. An edited entry
// keeps its line, its indentation, the columns its words started at and its trailing comment; a
// new entry is appended in the columns the file's other entries use; a removed entry takes only
// its own line with it.
#pragma once

#include "DeviceTable.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::lnkutil {

// Where a word starts when the line it goes to has no word there to take the column from:
// display column 0 = one blank after the previous word; `tabs` = reach it with tabs first.
struct ColumnStop {
    size_t column = 0;
    bool tabs = false;
};

class TableDocument {
  public:
    // The text of a table file; `source` names it in the parser's warnings.
    static TableDocument FromText(std::string_view text, std::string_view source,
                                  std::ostream& warnings);
    // A new file that holds the table.
    static TableDocument FromTable(const DeviceTable& table);

    const DeviceTable& table() const { return table_; }

    // The edits of DeviceTable, with the same checks; the text follows each one that succeeds, and
    // the table is then what the text says: a line skipped before (a second definition of a
    // removed or renamed device, say) counts once the edit lets it. An edit whose line would not
    // read back as its entry (a value with a blank or a '#' in it, say) is refused with the
    // parser's reason and changes nothing.
    bool Add(DeviceEntry entry, std::string* reason);
    bool Replace(size_t index, DeviceEntry entry, std::string* reason);
    bool Remove(size_t index);
    bool SetDefault(int index);

    std::string Text() const;

  private:
    struct Line {
        std::string content; // without its line ending
        std::string ending;  // "\n", "\r\n", or empty for a last line without one
    };

    // True when every entry line reads back as its entry; otherwise the document becomes `before`
    // again and the reason is given. Then the text is read again.
    bool Settle(const TableDocument& before, std::string* reason);
    // Rewrites the lines of the entries that differ from `before` (same indexes).
    void Follow(const std::vector<DeviceEntry>& before);
    void AppendLine(const DeviceEntry& entry);
    // The stops most entry lines of the file agree on, by word index.
    std::vector<ColumnStop> Layout() const;
    std::string DominantEnding() const;
    // The table and entry lines read again from the text.
    void Reread();

    DeviceTable table_;
    std::vector<Line> lines_;
    std::vector<size_t> entryLines_; // the line of each entry of table_
};

// The words of an entry's line: name, kind, "default" when marked, then key=value settings.
std::vector<std::string> EntryWords(const DeviceEntry& entry);

// Whether the entry, written as a line of a table file, reads back through the library's parser
// as the same entry; false with the reason otherwise.
bool EntryReadsBack(const DeviceEntry& entry, std::string* reason);

// `content` (one line without its ending) with its words replaced by `words`: indentation,
// word columns (spaces or tabs, as the line had them) and the trailing comment stay where they
// were, as far as the new words let them. Words past the old line's go to the stop of their index
// in `stops` (tabs count to the next multiple of 8).
std::string RewriteLine(std::string_view content, const std::vector<std::string>& words,
                        const std::vector<ColumnStop>& stops);

} // namespace tessary::lnkutil
