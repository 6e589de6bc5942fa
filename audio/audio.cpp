// Placeholder until the streaming implementation lands: a system that plays nothing.
#include "audio/audio.h"

#include <cstring>

namespace nimra::audio {

static bool nonRealTime = false;
void setNonRealTime(bool enabled) { nonRealTime = enabled; }
bool isNonRealTime() { return nonRealTime; }

const char* errorString(Result code) { return code == resultOk ? "No errors." : "Unknown error."; }

Result systemCreate(cSystem** system) {
    *system = new cSystem();
    return resultOk;
}
Result cSystem::init(int, unsigned, void*) { return resultOk; }
Result cSystem::createStream(const char*, unsigned, void*, cSound** sound) {
    *sound = nullptr;
    return resultFileNotFound;
}
Result cSystem::playSound(int, cSound*, bool, cChannel** channel) {
    *channel = nullptr;
    return resultInvalidHandle;
}
Result cChannel::getSpectrum(float* values, int count, int, int) {
    std::memset(values, 0, sizeof(float) * count);
    return resultOk;
}
Result cChannel::setPosition(uint32_t) { return resultOk; }
Result cChannel::getPosition(uint32_t* ms) { *ms = 0; return resultOk; }
Result cChannel::isPlaying(bool* playing) { *playing = false; return resultOk; }

}  // namespace nimra::audio
