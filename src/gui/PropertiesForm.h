#pragma once

#include "FormTable.h"

namespace tessary {

// The Properties page's form, placed in dialog units; keyboard order is form order.
PlacedForm PropertiesForm();

} // namespace tessary
