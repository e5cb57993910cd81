#include "Forms.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    GridControl{1102, Group, "Load RAM Memory From File", kPageFrame, 0, 0},
    GridControl{1103, Group, "File To Load", 1102, 0, 0, 3},
    GridControl{1105, Label, "File Name:", 1103, 0, 0},
    GridControl{1031, Edit, "", 1103, 0, 1},
    GridControl{1032, Button, "Browse", 1103, 0, 2},
    GridControl{1106, Label, "File Start Location:", 1103, 1, 0},
    GridControl{1033, Edit, "", 1103, 1, 1},
    GridControl{1107, Label, "(Offset from beginning of file)", 1103, 2, 1, 2},
    GridControl{1104, Group, "RAM Memory Destination Address", 1102, 1, 0, 3},
    GridControl{1108, Label, "Start Address:", 1104, 0, 0},
    GridControl{1034, Edit, "", 1104, 0, 1},
    GridControl{1109, Label, "Length:", 1104, 1, 0},
    GridControl{1035, Edit, "", 1104, 1, 1},
    GridControl{1046, Check, "Verify after load", 1102, 2, 0},
    GridControl{1036, Button, "Load", 1102, 2, 2},
};

} // namespace

GridForm LoadRamForm() {
    return kForm;
}

} // namespace tessary
