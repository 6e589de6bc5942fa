#pragma once
// Where captured frames go: PNG files, and ffmpeg for video with the music.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ending.h"
#include "render/frame_image.h"

namespace capture {

// Frames are written by the engine, as the demo's screenshots are. Single frames get the
// tighter compression, sequences the quick one.
using nimra::writePng;

struct cVideoSettings {
    int width = 0;
    int height = 0;
    int fps = 60;
    int crf = 18;
    bool lossless = false;
    int threads = 1;  // the encoder's share of the cores
};

// Raw RGB frames, their rows bottom-up as GL reads them, piped into ffmpeg and encoded as a
// video without sound: H.264 High, yuv420p converted and tagged as BT.709 in limited range;
// or, lossless, the RGB pixels themselves in H.264's High 4:4:4 Predictive profile (x264's
// RGB encoder at QP 0). Pieces of one stretch encoded this way join without re-encoding.
class cVideoEncoder {
public:
    bool open(const std::string& path, const cVideoSettings& settings, std::string& error);
    bool write(const std::vector<uint8_t>& rgb);
    // Waits for ffmpeg; false when it failed.
    bool close(std::string& error);
    ~cVideoEncoder();

private:
    cCommand ffmpeg;
    bool running = false;
    bool broken = false;
};

// The pieces, in order, joined into one video stream without re-encoding, with the music
// from wav (none when empty) as AAC at 320 kbit/s, into path; list is where ffmpeg's list
// of the pieces is written.
bool joinVideo(const std::vector<std::string>& pieces, const std::string& wav,
               const std::string& path, const std::string& list, std::string& error);

// Whether the MP3 at path can be played: false with the reason.
bool musicReadable(const std::string& path, std::string& error);

// Whether the ffmpeg program, the encoders a video needs (x264's, or its RGB one for
// lossless, and AAC) and the container that the video's file name asks for are all there:
// a tiny trial video of that kind is written in workDir. False with one line saying what is
// missing.
bool checkVideoTools(const std::string& videoPath, bool lossless, const std::string& workDir,
                     std::string& error);

// The music as the show plays it, decoded by the show's own audio layer, from demo time
// firstMs on, as a 16-bit stereo 44.1 kHz WAV file: sampleFrames of them (silence past the
// track's end), or the whole rest of the track when sampleFrames is negative. The file
// appears whole or not at all.
bool writeMusic(const std::string& mp3, const std::string& wav, int firstMs, int64_t sampleFrames,
                std::string& error);

// The first sample frame of the track that the show plays at demo time ms.
int64_t musicSampleAt(int ms);

}  // namespace capture
