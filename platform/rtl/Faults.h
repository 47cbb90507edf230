#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace rtl::faults {

// Fault injection for the platform stand-ins: a test arms a named call ("os.timeBeginPeriod",
// "rm.Frame.AddChild" ...) to fail with a chosen result code, so that the error path of every
// caller can be exercised. Unarmed, a check costs one load and one branch. Name each call with a
// string literal "layer.Class.Method" in the stand-in's own source: the build lists the fault
// points from there for the tests that arm every one of them.

// The next `times` calls of `call` after `skip` successful ones return `code`.
void Arm(std::string_view call, std::int32_t code, int skip = 0, int times = 1);
// Disarms every call.
void Reset();
// Whether `call` is still armed: it has not yet failed as many times as it was told to.
bool Pending(std::string_view call);
// Every call checked between the two, so that a test arms only the calls a run makes.
void StartRecording();
std::set<std::string, std::less<>> StopRecording();
// Arms what the variable Q3D_FAULTS names, so that a test can make the real program fail from
// outside: comma-separated `call:code[:skip[:times]]`, the code decimal or 0x-hexadecimal
// ("dd.Surface.Flip:0x88760219:30"). An entry that does not parse is ignored. The program reads it
// once, at start-up.
void ArmFromEnvironment();

namespace detail {
extern bool gAnyArmed;
std::int32_t Take(std::string_view call);
}  // namespace detail

// The result code the stand-in must return for this call now: 0 means "run it for real".
inline std::int32_t Check(std::string_view call) {
  return detail::gAnyArmed ? detail::Take(call) : 0;
}

}  // namespace rtl::faults
