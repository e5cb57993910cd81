#include "TableFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessary::lnkutil {

namespace fs = std::filesystem;

bool ReadTableForEditing(const std::string& path, TableDocument* document,
                         std::vector<std::string>* skipped, std::string* problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        *document = TableDocument::FromTable(DeviceTable::BuiltIn());
        return true;
    }
    if (fs::is_directory(status)) {
        *problem = path + " is a folder, not a device table.";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *problem = path + " cannot be read (" + std::strerror(errno) + ").";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        *problem = path + " cannot be read.";
        return false;
    }
    std::ostringstream warnings;
    *document = TableDocument::FromText(text.str(), path, warnings);
    std::istringstream lines(warnings.str());
    for (std::string line; std::getline(lines, line);) {
        skipped->push_back(line);
    }
    return true;
}

bool SaveTableFile(const std::string& path, const TableDocument& document, std::string* error) {
    std::error_code failure;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, failure) &&
        !fs::create_directories(folder, failure)) {
        *error = "cannot create the folder " + folder.string() + " (" + failure.message() + ")";
        return false;
    }
    if (fs::exists(path, failure) &&
        !fs::copy_file(path, path + ".bak", fs::copy_options::overwrite_existing, failure)) {
        *error = "cannot keep the old table as " + path + ".bak (" + failure.message() + ")";
        return false;
    }
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << document.Text();
        file.close();
        if (!file) {
            *error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot replace " + path + " (" + std::strerror(errno) + ")";
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace tessary::lnkutil
