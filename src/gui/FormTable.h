#pragma once

#include <span>

namespace tessary {

// The kinds of control a page form is made of.
enum class ControlKind { Group, Label, Edit, Button, Check, Radio, Combo };

// The id of the page itself as a frame: controls with this frame sit directly on the page.
inline constexpr int kPageFrame = 0;

// One control of a form laid out in rows and columns inside its frame (a group box of the same
// form, or the page). Group boxes get a grid of their own; a control that is hidden when the page
// opens says so.
struct GridControl {
    int id;
    ControlKind kind;
    const char* text;
    int frame;
    int row;
    int column;
    int columnSpan = 1;
    int rowSpan = 1;
    bool hidden = false;
};

// One control of a form placed at a fixed rectangle, in dialog units (a quarter of the average
// character width across, an eighth of the character height down). Id 0: a group box without
// an id.
struct PlacedControl {
    int id;
    ControlKind kind;
    const char* text;
    int x;
    int y;
    int width;
    int height;
};

using GridForm = std::span<const GridControl>;
using PlacedForm = std::span<const PlacedControl>;

} // namespace tessary
