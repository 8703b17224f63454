// Loaded into programs run under valgrind. libhwy (which FFmpeg's libavcodec loads
// through libjxl) measures its timer with RDTSCP when it is loaded, an instruction
// valgrind 3.19 cannot run on processors that do not announce it; this stands in for
// that one measurement, which nothing of ours uses.
#include <cstdint>

namespace hwy::platform {

uint64_t TimerResolution()
{
    return 1;
}

} // namespace hwy::platform
