// The runtime's default terminate handler names the uncaught exception's type
// through the C++ demangler, which alone is a tenth of the program. The
// worker catches and logs every exception, so a terminate here ends the
// process as the default handler does after its message.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
