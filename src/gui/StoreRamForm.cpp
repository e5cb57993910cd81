#include "Forms.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    GridControl{1110, Group, "Store RAM Memory Contents To File", kPageFrame, 0, 0},
    GridControl{1111, Group, "RAM Memory Source Address", 1110, 0, 0, 2},
    GridControl{1114, Label, "Start Address:", 1111, 0, 0},
    GridControl{1054, Edit, "", 1111, 0, 1},
    GridControl{1115, Label, "Length:", 1111, 1, 0},
    GridControl{1055, Edit, "", 1111, 1, 1},
    GridControl{1112, Group, "File To Store To", 1110, 1, 0, 2},
    GridControl{1116, Label, "File Name:", 1112, 0, 0},
    GridControl{1057, Edit, "", 1112, 0, 1},
    GridControl{1058, Button, "Browse", 1112, 0, 2},
    GridControl{1075, Label, "File Start Location:", 1112, 1, 0},
    GridControl{1059, Edit, "", 1112, 1, 1},
    GridControl{1076, Label, "(Offset from beginning of file)", 1112, 2, 1, 2},
    GridControl{1113, Group, "File Output", 1110, 2, 0},
    GridControl{1070, Radio, "Append", 1113, 0, 0},
    GridControl{1071, Radio, "Replace", 1113, 0, 1},
    GridControl{1072, Radio, "Overwrite", 1113, 0, 2},
    GridControl{1056, Button, "Store", 1110, 2, 1},
};

} // namespace

GridForm StoreRamForm() {
    return kForm;
}

} // namespace tessary
