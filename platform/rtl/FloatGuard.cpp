#include "platform/rtl/FloatGuard.h"

namespace rtl {

FloatExceptionGuard::FloatExceptionGuard() { feholdexcept(&FSaved); }

FloatExceptionGuard::~FloatExceptionGuard() { fesetenv(&FSaved); }

}  // namespace rtl
