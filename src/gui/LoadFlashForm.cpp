#include "Forms.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    GridControl{1086, Group, "Load Flash Memory From File", kPageFrame, 0, 0},
    GridControl{1087, Group, "File To Load", 1086, 0, 0, 3},
    GridControl{1089, Label, "File Name:", 1087, 0, 0},
    GridControl{1037, Edit, "", 1087, 0, 1},
    GridControl{1038, Button, "Browse", 1087, 0, 2},
    GridControl{1090, Label, "File Start Location:", 1087, 1, 0},
    GridControl{1039, Edit, "", 1087, 1, 1},
    GridControl{1091, Label, "(Offset from beginning of file)", 1087, 2, 1, 2},
    GridControl{1088, Group, "Flash Memory Destination Address", 1086, 1, 0, 3},
    GridControl{1092, Label, "Start Address:", 1088, 0, 0},
    GridControl{1040, Edit, "", 1088, 0, 1},
    GridControl{1093, Label, "Length:", 1088, 1, 0},
    GridControl{1041, Edit, "", 1088, 1, 1},
    GridControl{1043, Check, "Auto erase before", 1086, 2, 0, 2},
    GridControl{1094, Label, "programming.", 1086, 3, 0, 2},
    GridControl{1096, Check, "&Skip blocks that already match", 1086, 4, 0, 2},
    GridControl{1044, Check, "Verify after load", 1086, 5, 0, 2},
    GridControl{1095, Check, "Keep the rest of erased blocks", 1086, 6, 0, 2},
    GridControl{1042, Button, "Load", 1086, 2, 2},
};

} // namespace

GridForm LoadFlashForm() {
    return kForm;
}

} // namespace tessary
