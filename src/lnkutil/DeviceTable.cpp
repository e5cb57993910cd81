#include "DeviceTable.h"

#include "MemoryConfigurations.h"
#include "QuoteText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_set>

namespace tessary::lnkutil {
namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (true) {
        pos = line.find_first_not_of(" \t\r", pos);
        if (pos == std::string_view::npos) {
            return words;
        }
        const size_t end = line.find_first_of(" \t\r", pos);
        words.push_back(line.substr(pos, end - pos));
        if (end == std::string_view::npos) {
            return words;
        }
        pos = end;
    }
}

// A simulated board with the memory configuration that matches its Flash.
// A simulated board with the Flash chip of its configuration.
DeviceEntry BuiltInSim(const char* name, const char* configuration, bool isDefault) {
    DeviceEntry entry;
    entry.name = name;
    entry.kind = DeviceKind::Sim;
    entry.isDefault = isDefault;
    entry.options = {{"flash", FlashOf(ConfigurationNamed(configuration)).name},
                     {"config", configuration}};
    return entry;
}

} // namespace

bool ParseDeviceLine(std::string_view line, DeviceEntry* entry, std::string* reason) {
    *entry = DeviceEntry{};
    if (line.size() > kMaxDeviceLine) {
        *reason = "line longer than " + std::to_string(kMaxDeviceLine) + " characters";
        return false;
    }
    const auto words = SplitWords(line.substr(0, line.find('#')));
    if (words.empty()) {
        return true;
    }
    if (words.size() < 2) {
        *reason = "expected 'name kind [default] [key=value ...]'";
        return false;
    }
    entry->name = words[0];
    const auto kind = ParseDeviceKind(words[1]);
    if (!kind) {
        *reason = "unknown device kind '" + QuoteForMessage(words[1]) + "'";
        return false;
    }
    entry->kind = *kind;
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t eq = words[i].find('=');
        if (words[i] == "default") {
            entry->isDefault = true;
        } else if (eq == std::string_view::npos || eq == 0) {
            *reason = "expected key=value, found '" + QuoteForMessage(words[i]) + "'";
            return false;
        } else {
            entry->options.emplace_back(words[i].substr(0, eq), words[i].substr(eq + 1));
        }
    }
    return ValidateEntry(*entry, reason);
}

DeviceTable DeviceTable::BuiltIn() {
    DeviceTable table;
    table.entries_ = {BuiltInSim("SimBoard", "q0", true), BuiltInSim("SimBoard-1M", "q3", false),
                      BuiltInSim("SimBoard-4M", "parvel4", false),
                      BuiltInSim("SimBoard-16M", "parvel16", false)};
    return table;
}

bool DeviceTable::Load(const std::string& path, std::ostream& warnings) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    Parse(text.str(), path, warnings);
    return true;
}

void DeviceTable::Parse(std::string_view text, std::string_view source, std::ostream& warnings,
                        std::vector<size_t>* entryLines) {
    entries_.clear();
    if (entryLines != nullptr) {
        entryLines->clear();
    }
    // Names seen so far and whether a default was: a table of many lines is read in linear time.
    std::unordered_set<std::string> names;
    bool haveDefault = false;
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        DeviceEntry entry;
        std::string reason;
        if (ParseDeviceLine(line, &entry, &reason) && entry.name.empty()) {
            continue;
        }
        if (reason.empty() && names.count(entry.name) > 0) {
            reason = "device '" + entry.name + "' defined twice";
        }
        if (reason.empty() && entry.isDefault && haveDefault) {
            reason = "a second default device";
        }
        if (!reason.empty()) {
            warnings << "lnkutil: " << QuoteForMessage(source, 4096) << ":" << lineNumber << ": "
                     << reason << "; entry skipped\n";
            continue;
        }
        names.insert(entry.name);
        haveDefault = haveDefault || entry.isDefault;
        entries_.push_back(std::move(entry));
        if (entryLines != nullptr) {
            entryLines->push_back(lineNumber - 1);
        }
    }
}

std::string DeviceTable::Format() const {
    // Names and kinds in columns, as a person would lay the table out.
    size_t nameWidth = 0;
    for (const DeviceEntry& entry : entries_) {
        nameWidth = std::max(nameWidth, entry.name.size());
    }
    std::string text = "# lnkutil devices: name kind [default] [key=value ...]\n";
    for (const DeviceEntry& entry : entries_) {
        std::string settings = entry.isDefault ? " default" : "";
        for (const auto& [key, value] : entry.options) {
            settings += ' ' + key + '=' + value;
        }
        const std::string_view kind = DeviceKindName(entry.kind);
        text += entry.name;
        text.append(nameWidth + 2 - entry.name.size(), ' ');
        text += kind;
        if (!settings.empty()) {
            text.append(sizeof("serial") - 1 - kind.size(), ' ');
            text += settings;
        }
        text += '\n';
    }
    return text;
}

bool DeviceTable::Save(const std::string& path, std::string* error) const {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << Format();
        file.close();
        if (!file) {
            *error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot replace " + path;
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool DeviceTable::Check(const DeviceEntry& entry, int self, std::string* reason) const {
    if (!ValidateEntry(entry, reason)) {
        return false;
    }
    const int other = Find(entry.name);
    if (other >= 0 && other != self) {
        *reason = "device '" + entry.name + "' exists already";
        return false;
    }
    return true;
}

bool DeviceTable::Add(DeviceEntry entry, std::string* reason) {
    if (!Check(entry, -1, reason)) {
        return false;
    }
    entries_.push_back(std::move(entry));
    if (entries_.back().isDefault) {
        SetDefault(static_cast<int>(entries_.size()) - 1);
    }
    return true;
}

bool DeviceTable::Replace(size_t index, DeviceEntry entry, std::string* reason) {
    if (index >= entries_.size()) {
        *reason = "no device at that index";
        return false;
    }
    if (!Check(entry, static_cast<int>(index), reason)) {
        return false;
    }
    entries_[index] = std::move(entry);
    if (entries_[index].isDefault) {
        SetDefault(static_cast<int>(index));
    }
    return true;
}

bool DeviceTable::Remove(size_t index) {
    if (index >= entries_.size()) {
        return false;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool DeviceTable::SetDefault(int index) {
    if (index < -1 || index >= static_cast<int>(entries_.size())) {
        return false;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        entries_[i].isDefault = static_cast<int>(i) == index;
    }
    return true;
}

int DeviceTable::DefaultIndex() const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].isDefault) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceTable::Find(std::string_view name) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tessary::lnkutil
