#include "PropertiesForm.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    PlacedControl{0, Group, "Connection Properties", 7, 7, 221, 40},
    PlacedControl{1066, Button, "Configure", 170, 22, 50, 14},
    PlacedControl{1077, Combo, "", 15, 23, 140, 53},
    PlacedControl{0, Group, "Memory Configuration", 7, 53, 128, 76},
    PlacedControl{1078, Radio, "Q0 (512K Flash, 128K RAM)", 15, 85, 105, 10},
    PlacedControl{1079, Radio, "Q1 (512K Flash, 512K RAM)", 15, 95, 105, 10},
    PlacedControl{1080, Radio, "Q2 (1024K RAM)", 15, 105, 69, 10},
    PlacedControl{1081, Radio, "Q3 (1024K Flash)", 15, 115, 70, 10},
    PlacedControl{0, Group, "Starting Register Address", 141, 53, 88, 42},
    PlacedControl{1083, Edit, "", 152, 68, 65, 12},
    PlacedControl{1084, Radio, "Parvel (4MB Flash, 16MB RAM)", 15, 66, 115, 10},
    PlacedControl{1085, Radio, "Parvel (16MB Flash, 16MB RAM)", 15, 75, 117, 10},
};

} // namespace

PlacedForm PropertiesForm() {
    return kForm;
}

} // namespace tessary
