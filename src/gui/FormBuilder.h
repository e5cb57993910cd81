#pragma once

#include "FormTable.h"

namespace tessary {

class Page;

// Builds a form's controls on its page, in form order (which is also the keyboard order), and
// registers each with its id. Grid forms are laid out with Qt layouts; in every grid that holds
// edit fields, the columns line up with those of the page's other such grids.
void BuildGridForm(Page& page, GridForm form);
// Places each control at its rectangle; a control whose natural size is larger than its
// rectangle grows to the right and evenly up and down, so that nothing of it is cut off.
void BuildPlacedForm(Page& page, PlacedForm form);

} // namespace tessary
