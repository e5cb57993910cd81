#include "PropertiesForm.h"

#include "MemoryConfigurations.h"

#include <array>

namespace tessary {
namespace {

using enum ControlKind;

constexpr std::array kForm = {
    PlacedControl{0, Group, "Connection Properties", 7, 7, 221, 40},
    PlacedControl{1066, Button, "Configure", 170, 22, 50, 14},
    PlacedControl{1077, Combo, "", 15, 23, 140, 53},
    PlacedControl{0, Group, "Memory Configuration", 7, 53, 128, 76},
    PlacedControl{1078, Radio, ConfigurationNamed("q0").label, 15, 85, 105, 10},
    PlacedControl{1079, Radio, ConfigurationNamed("q1").label, 15, 95, 105, 10},
    PlacedControl{1080, Radio, ConfigurationNamed("q2").label, 15, 105, 69, 10},
    PlacedControl{1081, Radio, ConfigurationNamed("q3").label, 15, 115, 70, 10},
    PlacedControl{0, Group, "Starting Register Address", 141, 53, 88, 42},
    PlacedControl{1083, Edit, "", 152, 68, 65, 12},
    PlacedControl{1084, Radio, ConfigurationNamed("parvel4").label, 15, 66, 115, 10},
    PlacedControl{1085, Radio, ConfigurationNamed("parvel16").label, 15, 75, 117, 10},
};

} // namespace

PlacedForm PropertiesForm() {
    return kForm;
}

} // namespace tessary
