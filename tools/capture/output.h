#pragma once
// Where captured frames go: PNG files, and ffmpeg for video with the music.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/frame_image.h"

namespace capture {

// Frames are read back and written by the engine, as the demo's screenshots are. Single
// frames get the tighter compression, sequences the quick one.
using nimra::readFrame;
using nimra::writePng;

// Raw frames piped into ffmpeg, muxed with the music from the stretch's first frame on.
class cVideoEncoder {
public:
    // music may be empty (no audio track).
    bool open(const std::string& path, int width, int height, int fps, const std::string& music,
              int offsetMs, int durationMs, std::string& error);
    bool write(const std::vector<uint8_t>& rgb);
    // Waits for ffmpeg; false when it failed.
    bool close(std::string& error);
    ~cVideoEncoder();

private:
    FILE* pipe = nullptr;
    bool broken = false;
};

}  // namespace capture
