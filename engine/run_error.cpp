#include "run_error.h"

namespace typomancer {

RunError OverflowError() { return RunError(kErrOverflow, "Overflow"); }

RunError SubscriptOutOfRangeError() {
    return RunError(kErrSubscriptOutOfRange, "Subscript out of range");
}

}  // namespace typomancer
