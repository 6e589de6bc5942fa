// The music track: the score played through FluidSynth with the MuseScore General
// soundfont, levelled, faded at the end and encoded with LAME.

#include <fluidsynth.h>
#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>

#include "asset.h"
#include "score.h"

namespace nimra::bake {

namespace {

constexpr int sampleRate = 44100;
const char* const soundFontPath = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
// Mastering: the level that all but the loudest 0.2% of samples stay under, and the
// ceiling the limiter holds every sample to.
constexpr double loudShare = 0.998;
constexpr float loudLevel = 0.9f;
constexpr float ceiling = 0.97f;

struct cSynth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~cSynth() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

struct cEvent {
    long sample;
    int order;  // at the same sample: controls, then note-offs, then note-ons
    int channel, a, b;
};

void renderScore(const cScore& score, std::vector<float>& left, std::vector<float>& right) {
    cSynth s;
    s.settings = new_fluid_settings();
    if (!s.settings) throw cBakeError("FluidSynth: no settings");
    fluid_settings_setnum(s.settings, "synth.sample-rate", sampleRate);
    fluid_settings_setint(s.settings, "synth.polyphony", 512);
    fluid_settings_setint(s.settings, "synth.cpu-cores", 1);
    fluid_settings_setint(s.settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(s.settings, "synth.chorus.active", 0);
    fluid_settings_setint(s.settings, "synth.reverb.active", 1);
    fluid_settings_setnum(s.settings, "synth.gain", 0.4);
    s.synth = new_fluid_synth(s.settings);
    if (!s.synth) throw cBakeError("FluidSynth: cannot create a synthesiser");
    fluid_synth_set_reverb_group_roomsize(s.synth, -1, 0.55);
    fluid_synth_set_reverb_group_damp(s.synth, -1, 0.4);
    fluid_synth_set_reverb_group_width(s.synth, -1, 0.9);
    fluid_synth_set_reverb_group_level(s.synth, -1, 0.7);
    const int font = fluid_synth_sfload(s.synth, soundFontPath, 0);
    if (font == FLUID_FAILED)
        throw cBakeError(std::string("cannot load soundfont ") + soundFontPath);
    for (const cProgram& p : score.programs)
        if (fluid_synth_program_select(s.synth, p.channel, font, p.bank, p.program) != FLUID_OK)
            throw cBakeError("soundfont has no preset " + std::to_string(p.bank) + ":" +
                             std::to_string(p.program));

    const long total = long(std::ceil(score.length * sampleRate / 1000));
    auto toSample = [](double ms) {
        return std::max(0L, long(std::lround(ms * sampleRate / 1000)));
    };
    std::vector<cEvent> events;
    for (const cControlEvent& c : score.controls)
        events.push_back({toSample(c.time), 0, c.channel, c.controller, c.value});
    for (const cNoteEvent& n : score.notes) {
        events.push_back({toSample(n.start + n.length), 1, n.channel, n.key, 0});
        events.push_back({toSample(n.start), 2, n.channel, n.key, n.velocity});
    }
    std::stable_sort(events.begin(), events.end(), [](const cEvent& a, const cEvent& b) {
        return a.sample != b.sample ? a.sample < b.sample : a.order < b.order;
    });

    left.assign(total, 0.0f);
    right.assign(total, 0.0f);
    long done = 0;
    auto renderTo = [&](long until) {
        until = std::min(until, total);
        while (done < until) {
            const int count = int(std::min(until - done, 4096L));
            if (fluid_synth_write_float(s.synth, count, left.data(), int(done), 1, right.data(),
                                        int(done), 1) != FLUID_OK)
                throw cBakeError("FluidSynth failed while rendering");
            done += count;
        }
    };
    for (const cEvent& e : events) {
        renderTo(e.sample);
        if (e.order == 0)
            fluid_synth_cc(s.synth, e.channel, e.a, e.b);
        else if (e.order == 1)
            fluid_synth_noteoff(s.synth, e.channel, e.a);
        else
            fluid_synth_noteon(s.synth, e.channel, e.a, e.b);
    }
    renderTo(total);
}

// Brings the mix up to a steady level: a fixed gain set by the loud end of the signal,
// then a look-ahead limiter that bends the rare drum transients under the ceiling
// instead of letting them set the level of everything else. Last, the end fades out.
void master(const cScore& score, std::vector<float>& left, std::vector<float>& right) {
    const size_t n = left.size();
    std::vector<float> level(n);
    for (size_t i = 0; i < n; ++i)
        level[i] = std::max(std::fabs(left[i]), std::fabs(right[i]));
    std::vector<float> sorted = level;
    const size_t rank = size_t(double(n - 1) * loudShare);
    std::nth_element(sorted.begin(), sorted.begin() + rank, sorted.end());
    const float gain = loudLevel / std::max(1e-6f, sorted[rank]);

    // The gain each sample needs, its minimum over the look-ahead window, then a moving
    // average over the same window: the gain is down by the time a peak arrives.
    constexpr int window = sampleRate * 3 / 1000;
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i)
        need[i] = std::min(1.0f, ceiling / std::max(1e-9f, level[i] * gain));
    std::vector<float> lowest(n);
    std::deque<size_t> queue;  // indices of increasing need within the window ahead
    for (size_t i = n; i-- > 0;) {
        while (!queue.empty() && need[queue.back()] >= need[i])
            queue.pop_back();
        queue.push_back(i);
        while (queue.front() > i + 2 * window)
            queue.pop_front();
        lowest[i] = need[queue.front()];
    }
    // Release: the gain recovers over about 120 ms.
    const float release = 1.0f - std::exp(-1.0f / (0.12f * sampleRate));
    float envelope = 1.0f;
    std::vector<float> smooth(n);
    for (size_t i = 0; i < n; ++i) {
        envelope = std::min(lowest[i], envelope + (1.0f - envelope) * release);
        smooth[i] = envelope;
    }
    double sum = 0;
    std::vector<float> averaged(n);
    for (size_t i = 0; i < n; ++i) {
        sum += smooth[i];
        if (i >= size_t(window)) sum -= smooth[i - window];
        averaged[i] = float(sum / std::min<size_t>(i + 1, window));
    }

    const long fadeStart = long(score.fadeStart * sampleRate / 1000);
    const long fadeEnd = long(score.fadeEnd * sampleRate / 1000);
    for (long i = 0; i < long(n); ++i) {
        // Every gain in the average already looked at this sample, so it is under the need.
        float g = gain * averaged[i];
        if (i >= fadeEnd)
            g = 0;
        else if (i > fadeStart) {
            const double t = double(i - fadeStart) / double(fadeEnd - fadeStart);
            g *= float(0.5 + 0.5 * std::cos(t * 3.14159265358979));
        }
        left[i] = std::clamp(left[i] * g, -ceiling, ceiling);
        right[i] = std::clamp(right[i] * g, -ceiling, ceiling);
    }
}

struct cLameCloser {
    void operator()(lame_global_flags* l) const { lame_close(l); }
};
struct cFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

void encodeMp3(const std::string& path, const std::vector<float>& left,
               const std::vector<float>& right) {
    std::unique_ptr<lame_global_flags, cLameCloser> lame(lame_init());
    if (!lame) throw cBakeError("LAME: cannot initialise");
    lame_set_in_samplerate(lame.get(), sampleRate);
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_brate(lame.get(), 192);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_quality(lame.get(), 2);
    if (lame_init_params(lame.get()) < 0) throw cBakeError("LAME: bad parameters");

    std::unique_ptr<FILE, cFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw cBakeError("cannot open " + path + " for writing");
    constexpr int block = 8192;
    std::vector<unsigned char> out(block * 5 / 4 + 7200);
    auto write = [&](int bytes) {
        if (bytes < 0) throw cBakeError("LAME: encoding failed (" + std::to_string(bytes) + ")");
        if (bytes > 0 && std::fwrite(out.data(), 1, bytes, file.get()) != size_t(bytes))
            throw cBakeError("write failed: " + path);
    };
    for (size_t i = 0; i < left.size(); i += block) {
        const int count = int(std::min<size_t>(block, left.size() - i));
        write(lame_encode_buffer_ieee_float(lame.get(), left.data() + i, right.data() + i, count,
                                            out.data(), int(out.size())));
    }
    write(lame_encode_flush(lame.get(), out.data(), int(out.size())));
    // The Info frame at the start carries the encoder delay and length for gapless decoding.
    std::vector<unsigned char> tag(2880);
    const size_t tagSize = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
    if (tagSize > 0 && tagSize <= tag.size()) {
        if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
            std::fwrite(tag.data(), 1, tagSize, file.get()) != tagSize)
            throw cBakeError("write failed: " + path);
    }
    if (std::fflush(file.get()) != 0) throw cBakeError("write failed: " + path);
}

void makeMusic(const std::string& path) {
    const cScore score = composeScore();
    std::vector<float> left, right;
    renderScore(score, left, right);
    master(score, left, right);
    encodeMp3(path, left, right);
}

}  // namespace

void addMusicAssets(std::vector<cAsset>& assets) {
    assets.push_back({"tromblo-slow_harbour.mp3",
                      {"music.cpp", "score.cpp", "score.h"},
                      {soundFontPath},
                      "",
                      makeMusic,
                      100});
}

}  // namespace nimra::bake
