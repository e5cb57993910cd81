#include "Forms.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    GridControl{1098, Group, "Store Flash Memory Contents To File", kPageFrame, 0, 0},
    GridControl{1095, Group, "Flash Memory Source Address", 1098, 0, 0, 2},
    GridControl{1099, Label, "Start Address:", 1095, 0, 0},
    GridControl{1048, Edit, "", 1095, 0, 1},
    GridControl{1100, Label, "Length:", 1095, 1, 0},
    GridControl{1049, Edit, "", 1095, 1, 1},
    GridControl{1096, Group, "File To Store To", 1098, 1, 0, 2},
    GridControl{1101, Label, "File Name:", 1096, 0, 0},
    GridControl{1051, Edit, "", 1096, 0, 1},
    GridControl{1052, Button, "Browse", 1096, 0, 2},
    GridControl{1073, Label, "File Start Location:", 1096, 1, 0},
    GridControl{1053, Edit, "", 1096, 1, 1},
    GridControl{1074, Label, "(Offset from beginning of file)", 1096, 2, 1, 2},
    GridControl{1097, Group, "File Output", 1098, 2, 0},
    GridControl{1067, Radio, "Append", 1097, 0, 0},
    GridControl{1068, Radio, "Replace", 1097, 0, 1},
    GridControl{1069, Radio, "Overwrite", 1097, 0, 2},
    GridControl{1050, Button, "Store", 1098, 2, 1},
};

} // namespace

GridForm StoreFlashForm() {
    return kForm;
}

} // namespace tessary
