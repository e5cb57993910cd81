#include "RegisterBaseField.h"

#include "ParseNumber.h"

namespace tessary {

int32_t ParseRegisterBase(std::string& text) {
    const int32_t value = ParseNumber(text);
    if (value < 0 || value > 0xFF || value % 8 != 0) {
        return -1;
    }
    return value;
}

} // namespace tessary
