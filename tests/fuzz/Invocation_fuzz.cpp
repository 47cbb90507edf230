// libFuzzer target: command lines of any content. The arguments are the input's parts between NUL
// bytes; a first part that starts with '=' is the host's window variable instead. A window number
// that is not a number raises the conversion error; anything else escaping is a fault, and so is a
// result that mixes the two families of switches.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Invocation.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  std::string hostWindow;
  const bool hosted = args[0].starts_with('=');
  if (hosted) {
    hostWindow = args[0].substr(1);
    args.erase(args.begin());
  }
  try {
    const TInvocation invocation = ParseInvocation(args, hosted ? hostWindow.c_str() : nullptr);
    if (invocation.Host && (invocation.Mode != smNone || invocation.ParentWindow)) std::abort();
    if ((invocation.Help || invocation.Version) && (invocation.Host || invocation.Mode != smNone)) std::abort();
  } catch (const rtl::EConvertError&) {
    // A window number that is not a number.
  }
  return 0;
}
