#include "audio/decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace nimra::audio {

static constexpr size_t frameBytes = 2 * sizeof(int16_t);

static bool libraryReady() {
    static std::once_flag once;
    static int status = MPG123_ERR;
    std::call_once(once, [] { status = mpg123_init(); });
    return status == MPG123_OK;
}

void cDecoder::close() {
    if (handle) mpg123_delete(handle);
    if (file >= 0) ::close(file);
    handle = nullptr;
    file = -1;
    broken = false;
}

Result cDecoder::open(const char* name, std::string& why) {
    close();
    path = name;
    if (!libraryReady()) {
        why = "the MP3 decoder cannot start";
        return resultMemory;
    }

    // Opened here rather than by mpg123 so that a missing file can be told from a bad one.
    file = ::open(name, O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        const int error = errno;
        why = std::strerror(error);
        return error == ENOENT ? resultFileNotFound : resultFileBad;
    }
    struct stat status;
    if (fstat(file, &status) == 0 && S_ISDIR(status.st_mode)) {
        why = std::strerror(EISDIR);
        close();
        return resultFileBad;
    }

    int error = MPG123_OK;
    handle = mpg123_new(nullptr, &error);
    if (!handle) {
        why = mpg123_plain_strerror(error);
        close();
        return resultMemory;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, sampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_open_fd(handle, file) != MPG123_OK) {
        why = mpg123_strerror(handle);
        close();
        return resultFileBad;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        why = std::string("not a playable MP3 stream (") + mpg123_strerror(handle) + ")";
        close();
        return resultFormat;
    }
    return resultOk;
}

int cDecoder::read(int16_t* frames, int count) {
    if (!handle || broken) return 0;
    auto* out = reinterpret_cast<unsigned char*>(frames);
    const size_t wanted = frameBytes * count;
    size_t filled = 0;
    int emptyReads = 0;
    while (filled < wanted) {
        size_t done = 0;
        const int status = mpg123_read(handle, out + filled, wanted - filled, &done);
        filled += done;
        if (status == MPG123_DONE) break;
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
            std::printf("audio: %s: decoding stopped: %s\n", path.c_str(), mpg123_strerror(handle));
            std::fflush(stdout);
            broken = true;
            break;
        }
        // A reader that keeps returning nothing would otherwise spin here for ever.
        if (done == 0 && ++emptyReads > 64) break;
    }
    return static_cast<int>(filled / frameBytes);
}

bool cDecoder::seek(int64_t frame) {
    if (!handle) return false;
    const off_t reached = mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) return false;
    broken = false;
    return reached == frame;
}

}  // namespace nimra::audio
