#include "TableFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessary::lnkutil {

namespace fs = std::filesystem;

bool ReadTableForEditing(const std::string& path, DeviceTable* table,
                         std::vector<std::string>* skipped, std::string* problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        *table = DeviceTable::BuiltIn();
        return true;
    }
    if (fs::is_directory(status)) {
        *problem = path + " is a folder, not a device table.";
        return false;
    }
    if (!std::ifstream(path)) {
        *problem = path + " cannot be read (" + std::strerror(errno) + ").";
        return false;
    }
    std::ostringstream warnings;
    if (!table->Load(path, warnings)) {
        *problem = path + " cannot be read.";
        return false;
    }
    std::istringstream lines(warnings.str());
    for (std::string line; std::getline(lines, line);) {
        skipped->push_back(line);
    }
    return true;
}

bool SaveTableFile(const std::string& path, const DeviceTable& table, bool keepOld,
                   std::string* error) {
    std::error_code failure;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, failure) &&
        !fs::create_directories(folder, failure)) {
        *error = "cannot create the folder " + folder.string() + " (" + failure.message() + ")";
        return false;
    }
    if (keepOld &&
        !fs::copy_file(path, path + ".bak", fs::copy_options::overwrite_existing, failure)) {
        *error = "cannot keep the old table as " + path + ".bak (" + failure.message() + ")";
        return false;
    }
    return table.Save(path, error);
}

} // namespace tessary::lnkutil
