#include "output.h"

#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstring>

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

bool cVideoEncoder::open(const std::string& path, int width, int height, int fps,
                         const std::string& music, int offsetMs, int durationMs,
                         std::string& error) {
    // A frame k of the pipe is shown at k / fps, which is where the renderer put it relative
    // to the first frame; the music is cut from the first frame's own demo time.
    char seconds[64];
    std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y";
    command += " -f rawvideo -pix_fmt rgb24 -video_size " + std::to_string(width) + "x" +
               std::to_string(height) + " -framerate " + std::to_string(fps) + " -i -";
    if (!music.empty()) {
        std::snprintf(seconds, sizeof seconds, " -ss %.3f -t %.3f", offsetMs / 1000.0,
                      durationMs / 1000.0);
        command += seconds;
        command += " -i " + quoted(music) + " -map 0:v:0 -map 1:a:0 -c:a aac -b:a 192k";
    }
    command += " -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p -movflags +faststart";
    command += " " + quoted(path);

    // ffmpeg failing must show up as a write error here, not end the tool.
    std::signal(SIGPIPE, SIG_IGN);
    pipe = popen(command.c_str(), "w");
    if (!pipe) {
        error = "cannot start ffmpeg: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

bool cVideoEncoder::write(const std::vector<uint8_t>& rgb) {
    if (!pipe || broken) return false;
    if (std::fwrite(rgb.data(), 1, rgb.size(), pipe) != rgb.size()) broken = true;
    return !broken;
}

bool cVideoEncoder::close(std::string& error) {
    if (!pipe) return true;
    const int status = pclose(pipe);
    pipe = nullptr;
    if (broken || status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed (see its message above)";
        return false;
    }
    return true;
}

cVideoEncoder::~cVideoEncoder() {
    if (pipe) pclose(pipe);
}

}  // namespace capture
