#pragma once
// The timeline draws one whole frame: its phases, camera and the stack of layers and
// scenes that the demo clock selects.

namespace nimra {

void runTimeline();

}  // namespace nimra
