#include "output.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "audio/decoder.h"

namespace capture {

// Single quotes for the shell, with embedded quotes closed, escaped and reopened.
static std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

bool cVideoEncoder::open(const std::string& path, const cVideoSettings& settings,
                         std::string& error) {
    // Frame k of the pipe is shown at k / fps, where the renderer put it relative to the
    // first frame. Its rows come bottom-up; vflip only turns ffmpeg's view of them over, at no
    // cost. swscale would convert with BT.601's matrix unless told otherwise, and the stream
    // says which matrix, primaries, curve and range it was made with.
    std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y";
    command += " -f rawvideo -pix_fmt rgb24 -video_size " + std::to_string(settings.width) + "x" +
               std::to_string(settings.height) + " -framerate " + std::to_string(settings.fps) +
               " -i -";
    const std::string threads = " -threads " + std::to_string(std::max(1, settings.threads));
    if (settings.lossless) {
        // The drawn pixels themselves: RGB coded losslessly, no matrix and no subsampling.
        command += " -vf vflip -c:v libx264rgb -preset medium" + threads + " -qp 0";
        command += " -pix_fmt rgb24 -color_primaries bt709 -color_trc bt709 -colorspace rgb";
        command += " -color_range pc";
    } else {
        command += " -vf vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";
        command += " -c:v libx264 -preset medium" + threads;
        command += " -profile:v high -crf " + std::to_string(settings.crf);
        command += " -pix_fmt yuv420p -color_primaries bt709 -color_trc bt709 -colorspace bt709";
        command += " -color_range tv";
    }
    command += " -an " + quoted(path);

    // ffmpeg failing must show up as a write error here, not end the tool.
    std::signal(SIGPIPE, SIG_IGN);
    broken = false;
    running = ffmpeg.open(command);
    if (!running) {
        error = "cannot start ffmpeg: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

bool cVideoEncoder::write(const std::vector<uint8_t>& rgb) {
    if (!running || broken) return false;
    if (!ffmpeg.write(rgb.data(), rgb.size())) broken = true;
    return !broken;
}

bool cVideoEncoder::close(std::string& error) {
    if (!running) return true;
    running = false;
    if (!ffmpeg.close() || broken) {
        error = "ffmpeg failed (see its message above)";
        return false;
    }
    return true;
}

cVideoEncoder::~cVideoEncoder() { ffmpeg.close(); }

bool musicReadable(const std::string& path, std::string& error) {
    nimra::audio::cDecoder decoder;
    std::string why;
    if (decoder.open(path.c_str(), why) == nimra::audio::resultOk) return true;
    error = path + ": " + why;
    return false;
}

bool checkVideoTools(const std::string& videoPath, bool lossless, const std::string& workDir,
                     std::string& error) {
    if (!cCommand::run("ffmpeg -hide_banner -version >/dev/null 2>&1")) {
        error = "--video needs the ffmpeg program, which cannot be run here (install ffmpeg)";
        return false;
    }
    const std::string video = lossless ? "libx264rgb" : "libx264";
    for (const std::string& encoder : {video, std::string("aac")}) {
        // A line of the list: six flag letters, the encoder's name, its description.
        if (!cCommand::run("ffmpeg -hide_banner -encoders 2>/dev/null | grep -qE '^ *[A-Z.]{6} " +
                           encoder + " '")) {
            error = "--video needs ffmpeg's " + encoder + " encoder, which this ffmpeg lacks";
            return false;
        }
    }
    const std::string extension = std::filesystem::path(videoPath).extension().string();
    const std::string trial = workDir + "/trial" + extension;
    std::string command = "ffmpeg -hide_banner -loglevel quiet -nostdin -y";
    command += " -f lavfi -i color=c=black:s=64x64:r=60 -f lavfi -i anullsrc=r=44100:cl=stereo";
    command += " -frames:v 1 -t 0.05 -c:v " + video + " -c:a aac " + quoted(trial);
    const bool written = cCommand::run(command);
    std::error_code ec;
    std::filesystem::remove(trial, ec);
    if (!written && extension.empty()) {
        error = "ffmpeg cannot tell what kind of video " + videoPath +
                " should be without an extension; name it .mp4, .mkv or .mov";
        return false;
    }
    if (!written) {
        error = "ffmpeg cannot write H.264 video with AAC sound into a " + extension + " file (" +
                videoPath + "); name it .mp4, .mkv or .mov";
        return false;
    }
    return true;
}

bool joinVideo(const std::vector<std::string>& pieces, const std::string& wav,
               const std::string& path, const std::string& list, std::string& error) {
    FILE* file = std::fopen(list.c_str(), "w");
    if (!file) {
        error = "cannot write " + list + ": " + std::strerror(errno);
        return false;
    }
    // The concat demuxer reads its own quoting: the same single quotes as the shell's.
    for (const std::string& piece : pieces)
        std::fprintf(file, "file %s\n", quoted(piece).c_str());
    const bool listWritten = std::fclose(file) == 0;

    // The AAC encoder's priming samples are left out of playback by the edit list the MP4
    // muxer writes, so the first sound heard is the WAV's first sample.
    std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y";
    command += " -f concat -safe 0 -i " + quoted(list);
    if (!wav.empty()) command += " -i " + quoted(wav) + " -map 0:v:0 -map 1:a:0";
    command += " -c:v copy";
    if (!wav.empty()) command += " -c:a aac -b:a 320k";
    command += " -movflags +faststart " + quoted(path);
    const bool joined = listWritten && cCommand::run(command);
    if (!joined) {
        error =
            "ffmpeg could not join the video's pieces into " + path + " (see its message above)";
        return false;
    }
    return true;
}

int64_t musicSampleAt(int ms) {
    // As the audio layer places a stream position: whole sample frames, rounded down.
    return int64_t(ms) * nimra::audio::sampleRate / 1000;
}

static void putLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

static std::vector<uint8_t> wavHeader(uint32_t dataBytes) {
    std::vector<uint8_t> header;
    const auto text = [&](const char* tag) { header.insert(header.end(), tag, tag + 4); };
    const int channels = 2, bytesPerSample = 2;
    text("RIFF");
    putLittle(header, 36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    putLittle(header, 16, 4);
    putLittle(header, 1, 2);  // integer PCM
    putLittle(header, channels, 2);
    putLittle(header, nimra::audio::sampleRate, 4);
    putLittle(header, nimra::audio::sampleRate * channels * bytesPerSample, 4);
    putLittle(header, channels * bytesPerSample, 2);
    putLittle(header, 8 * bytesPerSample, 2);
    text("data");
    putLittle(header, dataBytes, 4);
    return header;
}

bool writeMusic(const std::string& mp3, const std::string& wav, int firstMs, int64_t sampleFrames,
                std::string& error) {
    nimra::audio::cDecoder decoder;
    std::string why;
    if (decoder.open(mp3.c_str(), why) != nimra::audio::resultOk) {
        error = mp3 + ": " + why;
        return false;
    }
    // A start past the track's end leaves only silence.
    const int64_t first = musicSampleAt(firstMs);
    const bool reached = first == 0 || decoder.seek(first);

    const std::string partial = wav + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        error = "cannot write " + partial + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> header = wavHeader(0);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<int16_t> block(2 * 4096);
    int64_t written = 0;
    bool ended = !reached;
    while (ok && (sampleFrames < 0 || written < sampleFrames)) {
        const int wanted = static_cast<int>(
            sampleFrames < 0 ? 4096 : std::min<int64_t>(4096, sampleFrames - written));
        const int got = ended ? 0 : decoder.read(block.data(), wanted);
        if (got < wanted) {
            ended = true;
            if (sampleFrames < 0) {
                ok = std::fwrite(block.data(), 4, got, file) == size_t(got);
                written += got;
                break;
            }
            std::fill(block.begin() + 2 * got, block.begin() + 2 * wanted, int16_t(0));
        }
        // Interleaved little-endian 16-bit, as the decoder gives it on this machine.
        ok = std::fwrite(block.data(), 4, wanted, file) == size_t(wanted);
        written += wanted;
    }
    const int64_t bytes = written * 4;
    if (bytes > int64_t(UINT32_MAX) - 36) ok = false;
    if (ok) {
        header = wavHeader(static_cast<uint32_t>(bytes));
        ok = std::fseek(file, 0, SEEK_SET) == 0 &&
             std::fwrite(header.data(), 1, header.size(), file) == header.size();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(partial.c_str(), wav.c_str()) != 0) {
        error = "cannot write " + wav + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace capture
