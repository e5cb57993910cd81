// Where the library finds its device table and keeps the simulated boards' memories.
#pragma once

#include <string>

namespace tessary::lnkutil {

// $LNKUTIL_DEVICES if set (empty = no file), else $XDG_CONFIG_HOME/lnkutil/devices.conf, else
// ~/.config/lnkutil/devices.conf; empty when none can be formed.
std::string DeviceTablePath();

// True when $LNKUTIL_DEVICES names a file (rather than the usual place being used).
bool DeviceTableNamedByUser();

// $LNKUTIL_DATA_DIR if set (empty = memories in the process only), else
// $XDG_DATA_HOME/lnkutil, else ~/.local/share/lnkutil; empty when none can be formed.
std::string DataDirectory();

} // namespace tessary::lnkutil
