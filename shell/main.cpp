// nimra: an 800 x 600 full-screen audio-visual demo, 207 seconds long. Takes no
// arguments; loads its shaders, pictures, meshes and music from the working directory.

#include "shell/startup.h"

int main() {
    nimra::startUp();
    return nimra::mainLoop();
}
