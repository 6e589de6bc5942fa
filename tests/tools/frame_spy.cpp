// Loaded into the demo with LD_PRELOAD, it sees every picture the program shows: each call to
// SDL_GL_SwapBuffers first reads the window's back buffer (top-down RGB rows, as ffmpeg's
// rawvideo rgb24 writes a PNG). FRAME_SPY_FIRST=FILE writes the first picture shown there;
// FRAME_SPY_MATCH="NAME=FILE ..." compares every picture with each reference frame and adds
// a line "NAME" to FRAME_SPY_LOG for every picture that equals one, byte for byte; and
// FRAME_SPY_AUDIO_AT=FILE records how many bytes SDL's disk audio driver had written to
// SDL_DISKAUDIOFILE as the first picture was shown.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct cReference {
    std::string name;
    std::vector<unsigned char> pixels;
};

std::vector<cReference> loadReferences() {
    std::vector<cReference> out;
    const char* list = std::getenv("FRAME_SPY_MATCH");
    std::istringstream in(list ? list : "");
    for (std::string item; in >> item;) {
        const size_t equals = item.find('=');
        if (equals == std::string::npos) continue;
        std::ifstream file(item.substr(equals + 1), std::ios::binary);
        out.push_back({item.substr(0, equals),
                       std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {})});
    }
    return out;
}

// The window's back buffer as it is about to be shown, top row first.
std::vector<unsigned char> readWindow(int width, int height) {
    using BindFramebuffer = void (*)(GLenum, GLuint);
    static const auto bind = reinterpret_cast<BindFramebuffer>(
        glXGetProcAddress(reinterpret_cast<const GLubyte*>("glBindFramebufferEXT")));
    GLint bound = 0, packAlignment = 4;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    if (bind) bind(GL_FRAMEBUFFER_EXT, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> rows(size_t(width) * height * 3);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    if (bind) bind(GL_FRAMEBUFFER_EXT, bound);
    std::vector<unsigned char> flipped(rows.size());
    const size_t row = size_t(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(&flipped[y * row], &rows[(height - 1 - y) * row], row);
    return flipped;
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers(void) {
    using Swap = void (*)();
    static const auto real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    static const std::vector<cReference> references = loadReferences();
    static bool first = true;

    const SDL_Surface* surface = SDL_GetVideoSurface();
    if (surface) {
        const std::vector<unsigned char> shown = readWindow(surface->w, surface->h);
        const char* firstFile = std::getenv("FRAME_SPY_FIRST");
        if (first && firstFile) {
            if (FILE* out = std::fopen(firstFile, "wb")) {
                std::fwrite(shown.data(), 1, shown.size(), out);
                std::fclose(out);
            }
        }
        const char* audioAt = std::getenv("FRAME_SPY_AUDIO_AT");
        const char* audio = std::getenv("SDL_DISKAUDIOFILE");
        struct stat written;
        if (first && audioAt && audio && stat(audio, &written) == 0) {
            if (FILE* out = std::fopen(audioAt, "w")) {
                std::fprintf(out, "%lld\n", static_cast<long long>(written.st_size));
                std::fclose(out);
            }
        }
        first = false;
        const char* log = std::getenv("FRAME_SPY_LOG");
        for (const cReference& reference : references) {
            if (!log || reference.pixels != shown) continue;
            if (FILE* out = std::fopen(log, "a")) {
                std::fprintf(out, "%s\n", reference.name.c_str());
                std::fclose(out);
            }
        }
    }
    real();
}
