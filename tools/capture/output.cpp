#include "output.h"

#include <png.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>

#include "render/gl.h"

namespace capture {

void readFrame(int width, int height, std::vector<uint8_t>& rgb) {
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> bottomUp(row * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    rgb.resize(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&rgb[y * row], &bottomUp[(height - 1 - y) * row], row);
    }
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              bool quick, std::string& error) {
    // Written under a temporary name and renamed, so a reader never sees half a frame.
    const std::string partial = path + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(partial.c_str());
        error = "cannot encode " + path;
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, quick ? 1 : 6);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, &rgb[static_cast<size_t>(y) * width * 3]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    const bool flushed = std::fclose(file) == 0;
    if (!flushed || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

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
