#include "demo/timeline.h"

namespace nimra {

void runTimeline() {}

}  // namespace nimra
