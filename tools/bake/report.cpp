#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <set>

#include "audio/audio.h"
#include "score.h"

namespace nimra::bake {

namespace {

// The bins the scenes read: camera triggers, phases and the "powah" uniforms.
constexpr int triggerBin = 10, phaseBin = 20, powerBin = 50;

struct cBins {
    float trigger, phase, power;
};

struct cStat {
    double sum = 0, peak = 0;
    int count = 0;
    void add(double v) {
        sum += v;
        peak = std::max(peak, v);
        ++count;
    }
    double mean() const { return count ? sum / count : 0; }
};

// The loudspeaker scene's camera trigger, fed 16 ms frames.
struct cTrigger {
    int clock = 0;
    float threshold = 0.5f;
    bool step(int dt, float level) {
        clock += dt;
        threshold = float(threshold - clock * 0.00001);
        if (threshold < level) {
            clock = 0;
            threshold = 0.5f;
            return true;
        }
        return false;
    }
};

}  // namespace

int printMusicReport(const std::string& mp3Path, std::ostream& out) {
    using namespace nimra::audio;
    setNonRealTime(true);
    cSystem* system = nullptr;
    cSound* sound = nullptr;
    cChannel* channel = nullptr;
    Result result = systemCreate(&system);
    if (result == resultOk) result = system->init(1, 0, nullptr);
    if (result == resultOk)
        result =
            system->createStream(mp3Path.c_str(), modeSoftware | modeAccurateTime, nullptr, &sound);
    if (result == resultOk) result = system->playSound(channelFree, sound, false, &channel);
    if (result != resultOk || !channel) {
        out << "bake: report: " << mp3Path << ": " << errorString(result) << std::endl;
        return 1;
    }

    const std::vector<cSection>& sections = arrangement();
    const double end = sections.back().end;
    // Positions in ms: 60 fps frames for the statistics, 16 ms frames for the trigger.
    std::set<uint32_t> positions;
    for (int k = 0; k * 1000.0 / 60 <= end; ++k)
        positions.insert(uint32_t(std::lround(k * 1000.0 / 60)));
    for (uint32_t t = 0; t <= end; t += 16)
        positions.insert(t);
    std::map<uint32_t, cBins> bins;
    float spectrum[spectrumBins];
    for (uint32_t t : positions) {
        channel->setPosition(t);
        channel->getSpectrum(spectrum, spectrumBins, 0, fftWindowRect);
        bins[t] = {spectrum[triggerBin], spectrum[phaseBin], spectrum[powerBin]};
    }
    channel->setPosition(uint32_t(end));
    bool playing = false;
    channel->isPlaying(&playing);

    const std::vector<double> beats = beatTimes();
    auto nearBeat = [&](double t, double tolerance) {
        auto it = std::lower_bound(beats.begin(), beats.end(), t - tolerance);
        return it != beats.end() && *it <= t + tolerance;
    };

    char line[256];
    out << "music report: " << mp3Path << "\n";
    std::snprintf(line, sizeof line, "%-11s %6s %6s | %-13s | %-13s | %-13s | %-6s | %s\n",
                  "window", "from", "to", "S[10] mean/pk", "S[20] mean/pk", "S[50] mean/pk",
                  "beats", "trigger (16 ms): firings, on beat");
    out << line;
    for (const cSection& s : sections) {
        cStat trigger, phase, power;
        for (int k = 0; k * 1000.0 / 60 <= end; ++k) {
            const double t = k * 1000.0 / 60;
            if (t < s.start || t >= s.end) continue;
            const cBins& b = bins[uint32_t(std::lround(t))];
            trigger.add(b.trigger);
            phase.add(b.phase);
            power.add(b.power);
        }
        // A beat counts as hit when S[10] reaches 0.25 within 60 ms after it.
        int beatCount = 0, beatsHit = 0;
        for (double beat : beats) {
            if (beat < s.start || beat >= s.end) continue;
            ++beatCount;
            float best = 0;
            for (uint32_t t = uint32_t(std::ceil(beat)); t <= beat + 60; ++t) {
                auto found = bins.find(t);
                if (found != bins.end()) best = std::max(best, found->second.trigger);
            }
            if (best >= 0.25f) ++beatsHit;
        }
        cTrigger rule;
        int firings = 0, onBeat = 0;
        for (uint32_t t = uint32_t(std::ceil(s.start / 16) * 16); t < s.end; t += 16) {
            if (rule.step(16, bins[t].trigger)) {
                ++firings;
                if (nearBeat(t, 60)) ++onBeat;
            }
        }
        std::snprintf(
            line, sizeof line,
            "%-11s %6.0f %6.0f | %.3f / %.3f | %.3f / %.3f | %.4f/%.3f | %3d/%-3d| %3d, %3.0f%%\n",
            s.name.c_str(), s.start, s.end, trigger.mean(), trigger.peak, phase.mean(), phase.peak,
            power.mean(), power.peak, beatsHit, beatCount, firings,
            firings ? 100.0 * onBeat / firings : 0.0);
        out << line;
    }
    out << "stream still playing at " << end << " ms: " << (playing ? "yes" : "no") << std::endl;
    return 0;
}

}  // namespace nimra::bake
