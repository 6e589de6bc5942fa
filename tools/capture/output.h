#pragma once
// Where captured frames go: PNG files, and ffmpeg for video with the music.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// The current GL read buffer as top-down RGB rows.
void readFrame(int width, int height, std::vector<uint8_t>& rgb);

// False with a reason when the file cannot be written. Sequences use a quicker, looser
// compression than single frames.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              bool quick, std::string& error);

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
