#include "Cancel.h"

namespace tessary {

const CancelToken& CancelToken::Never() {
    static const CancelToken never;
    return never;
}

} // namespace tessary
