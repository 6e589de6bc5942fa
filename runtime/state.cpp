#include "runtime/state.h"

#include "render/gl.h"
#include "render/transform.h"

namespace nimra {

audio::cSystem* fmodSystem = nullptr;
audio::cSound* music = nullptr;
audio::cChannel* musicChannel = nullptr;
int fmodResult = 0;
SDL_Joystick* joystick = nullptr;

int windowWidth = 0;
int windowHeight = 0;

std::vector<unsigned char> keys;
std::vector<unsigned char> previousKeys;
std::vector<float> spectrum;

int frameTime = 0;
int demoTime = 0;

cMatrix4f projection;
cDirectFrameBuffer screen(800, 600, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
cConsole console;

static unsigned keyIndex(int key) { return static_cast<unsigned>(key) & 0xFFu; }

bool isKeyDown(int key) {
    const unsigned k = keyIndex(key);
    return k < keys.size() && keys[k] != 0;
}

bool wasKeyPressed(int key) {
    const unsigned k = keyIndex(key);
    const bool downNow = k < keys.size() && keys[k] == 1;
    const bool downBefore = k < previousKeys.size() && previousKeys[k] == 1;
    return downNow && !downBefore;
}

void resize(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    perspectiveMatrix(projection.m, 90.0f, 1.0f, 0.01f, 20000.0f);
    screen.setSize(cVec2f(static_cast<float>(width), static_cast<float>(height)));
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace nimra
