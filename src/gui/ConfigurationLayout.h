#pragma once

#include <cstdint>

namespace tessary {

class MainWindow;

// Fits the other pages to a memory configuration: a configuration without Flash (Q2) disables
// every control of the three Flash pages, one without RAM (Q3) every control of the two RAM
// pages; the others enable them all. The Erase Flash page shows the 7-block list (Q0, Q1), the
// 11-block list (Q3) or its scrolled 128K list (Parvel), and keeps what it showed for Q2.
void ApplyConfigurationLayout(const MainWindow& window, int32_t configuration);

} // namespace tessary
