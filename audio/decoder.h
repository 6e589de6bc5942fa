#pragma once
// An MP3 file decoded on demand, always as interleaved 16-bit stereo at 44.1 kHz whatever
// the file's own rate and channel count: mpg123 resamples and duplicates mono as needed.

#include <mpg123.h>

#include <cstdint>
#include <string>

#include "audio/audio.h"

namespace nimra::audio {

class cDecoder {
public:
    cDecoder() = default;
    ~cDecoder() { close(); }
    cDecoder(const cDecoder&) = delete;
    cDecoder& operator=(const cDecoder&) = delete;

    // Opens the file and reads up to its first audio frame, so that a file that is not an
    // MP3 stream is refused here rather than at the first read. On failure `why` says what
    // went wrong.
    Result open(const char* path, std::string& why);

    // Up to `count` frames; fewer means the stream has ended (or broke off, which is reported
    // once on standard output and ends it the same way).
    int read(int16_t* frames, int count);

    // Moves to stream frame `frame`, exactly; false when the stream is shorter than that.
    bool seek(int64_t frame);

private:
    void close();

    mpg123_handle* handle = nullptr;
    int file = -1;
    bool broken = false;
    std::string path;
};

}  // namespace nimra::audio
