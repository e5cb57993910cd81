#pragma once

#include "FormTable.h"

namespace tessary {

// The forms of the five operation pages, control by control in keyboard order.
GridForm LoadRamForm();
GridForm StoreRamForm();
GridForm LoadFlashForm();
GridForm StoreFlashForm();
GridForm EraseFlashForm();

} // namespace tessary
