// The window program has no console to print an unexpected exception's type
// on, so the C++ runtime's verbose terminate handler (which demangles that
// type name, and brings a whole demangler and printf with it) is replaced by a
// plain abort: the same outcome for a program without a console, at a
// fraction of the size.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
