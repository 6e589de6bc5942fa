#pragma once
// The yardstick for frame times: what one full-screen textured pass costs on this machine.

namespace capture {

// Median milliseconds that one full-screen, bilinearly filtered draw of a 1024 x 512 picture
// adds to a cleared frame, with blending on as the show's layers draw, measured over many
// frames.
// Needs the show's screen quad and its "introback.png" in the working directory.
double measureTexturedPass();

}  // namespace capture
