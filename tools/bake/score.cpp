#include "score.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "noise.h"

namespace nimra::bake {

const std::vector<cSection>& arrangement() {
    // The cuts of the show; every section is whole bars so that each cut is a downbeat.
    static const std::vector<cSection> sections = {
        {"intro", 0, 11600, 5},           {"groove", 11600, 30312, 8},
        {"tunnel", 30312, 48939, 8},      {"sculpture", 48939, 58276, 4},
        {"sculpture2", 58276, 67588, 4},  {"sculpture3", 67588, 76893, 4},
        {"sculpture4", 76893, 86210, 4},  {"speakers", 86210, 104878, 8},
        {"smoke", 104878, 123505, 8},     {"break", 123505, 128172, 2},
        {"creatures", 128172, 146828, 8}, {"spheres", 146828, 165373, 8},
        {"spheres2", 165373, 184081, 8},  {"closing", 184081, 193384, 4},
        {"outro", 193384, 205020, 5},     {"ending", 205020, 207000, 0},
    };
    return sections;
}

std::vector<double> beatTimes() {
    std::vector<double> beats;
    for (const cSection& s : arrangement())
        for (int b = 0; b < s.bars * 4; ++b)
            beats.push_back(s.start + b * s.beatLength());
    return beats;
}

namespace {

enum eChannel {
    keys = 0,     // tine electric piano: comping, and the stab on every beat
    bass = 1,     // fingered bass
    lead = 2,     // trombone
    trumpet = 3,  // the horn section: trumpet, alto, tenor, trombone
    alto = 4,
    tenor = 5,
    guitar = 6,  // palm-muted chanks
    pad = 7,
    vibes = 8,
    drums = 9,
    hornBone = 10,
    slap = 11,
    clav = 12,
    strings = 13,
    marimba = 14,  // doubles the beat stab's A4
    mutedTrumpet = 15,
};

enum eDrum {
    kick = 36,
    rim = 37,
    snare = 38,
    clap = 39,
    closedHat = 42,
    pedalHat = 44,
    openHat = 46,
    crash = 49,
    ride = 51,
    rideBell = 53,
    tambourine = 54,
    splash = 55,
    hiConga = 62,
    openConga = 63,
    lowConga = 64,
    shaker = 70,
    lowTom = 45,
    midTom = 47,
    highTom = 50,
};

// A chord as a root (MIDI pitch class) and its tones in semitones above the root.
struct cChord {
    int root;
    std::vector<int> tones;
    bool has(int key) const {
        const int pc = ((key - root) % 12 + 12) % 12;
        return std::any_of(tones.begin(), tones.end(), [&](int t) { return t % 12 == pc; });
    }
};

// Every chord of the piece keeps an A in it: the electric piano's stab on each beat rings
// that A4 (about 440 Hz), which is what the scenes' camera triggers listen for.
const cChord am9{9, {0, 3, 7, 10, 14}}, d9{2, {0, 4, 7, 10, 14}}, fmaj7{5, {0, 4, 7, 11}},
    e7sus{4, {0, 5, 7, 10}}, dm9{2, {0, 3, 7, 10, 14}}, g9sus{7, {0, 5, 7, 10, 14}},
    fmaj9{5, {0, 4, 7, 11, 14}}, c69{0, {0, 4, 7, 9, 14}}, bm7b5{11, {0, 3, 6, 10}};

const std::map<std::string, std::vector<cChord>> progressions = {
    {"intro", {am9, am9, fmaj9, dm9, e7sus}},
    {"groove", {am9, d9, am9, d9, fmaj7, e7sus, am9, am9}},
    {"tunnel", {am9, d9, am9, d9, fmaj7, e7sus, am9, am9}},
    {"sculpture", {dm9, g9sus, am9, am9}},
    {"sculpture2", {dm9, g9sus, am9, am9}},
    {"sculpture3", {am9, d9, am9, d9}},
    {"sculpture4", {fmaj7, g9sus, am9, e7sus}},
    {"speakers", {dm9, g9sus, am9, am9, dm9, g9sus, fmaj7, e7sus}},
    {"smoke", {am9, d9, am9, d9, fmaj7, e7sus, am9, am9}},
    {"break", {fmaj9, e7sus}},
    {"creatures", {am9, fmaj9, dm9, e7sus, am9, fmaj9, dm9, e7sus}},
    {"spheres", {fmaj9, e7sus, dm9, g9sus, c69, fmaj9, bm7b5, e7sus}},
    {"spheres2", {fmaj9, e7sus, dm9, g9sus, c69, fmaj9, bm7b5, e7sus}},
    {"closing", {am9, d9, fmaj7, e7sus}},
    {"outro", {am9, d9, am9, d9, am9}},
};

// The chord's tones within [low, high], ascending.
std::vector<int> tonesIn(const cChord& chord, int low, int high) {
    std::vector<int> keys;
    for (int k = low; k <= high; ++k)
        if (chord.has(k)) keys.push_back(k);
    return keys;
}

// The nearest chord tone at or below a key.
int toneAtOrBelow(const cChord& chord, int key) {
    while (!chord.has(key))
        --key;
    return key;
}

int bassRoot(const cChord& chord) { return 28 + (chord.root - 4 + 12) % 12; }  // E1 .. D#2

class cComposer {
public:
    struct cBar {
        double start, length;
        const cSection* section;
        int index;  // within its section
        cChord chord;
        cChord next;  // the chord of the following bar
    };

    cScore& score;
    cRandom random{0x51ab};
    std::vector<cBar> bars;

    explicit cComposer(cScore& s) : score(s) {
        for (const cSection& section : arrangement()) {
            const std::vector<cChord>* progression =
                progressions.count(section.name) ? &progressions.at(section.name) : nullptr;
            for (int b = 0; b < section.bars; ++b)
                bars.push_back({section.start + b * section.barLength(), section.barLength(),
                                &section, b, (*progression)[b % progression->size()], am9});
        }
        for (size_t b = 0; b + 1 < bars.size(); ++b)
            bars[b].next = bars[b + 1].chord;
    }

    double at(int bar, double beat) const { return bars[bar].start + beat * bars[bar].length / 4; }
    double beats(int bar, double count) const { return count * bars[bar].length / 4; }

    void play(int channel, double start, double length, int key, int velocity, double loose = 0) {
        const double shift = loose * (random.uniform() * 2 - 1);
        const int v = std::clamp(velocity + int(random.below(9)) - 4, 1, 127);
        score.notes.push_back({start + shift, std::max(20.0, length), channel, key, v});
    }
    // A note in beats within a bar; off-beat sixteenths lean back a little, as funk does.
    void note(int channel, int bar, double beat, double length, int key, int velocity,
              double loose = 6) {
        const double sixteenth = beat * 4 - std::floor(beat * 4 + 1e-9);
        const bool offbeatSixteenth =
            sixteenth < 1e-6 && int(std::lround(beat * 4)) % 2 == 1 && channel != keys;
        const double lean = offbeatSixteenth ? 0.035 : 0;
        play(channel, at(bar, beat + lean), beats(bar, length) * 0.95, key, velocity, loose);
    }
    void chord(int channel, int bar, double beat, double length, const std::vector<int>& notes,
               int velocity, double loose = 4) {
        for (int key : notes)
            note(channel, bar, beat, length, key, velocity, loose);
    }
    void control(int channel, double time, int controller, int value) {
        score.controls.push_back({time, channel, controller, std::clamp(value, 0, 127)});
    }
    void drum(int bar, double beat, int key, int velocity) {
        play(drums, at(bar, beat), 80, key, velocity, 2);
    }
    // A drum pattern line: one character per sixteenth, '.' silent, '1'..'9' loudness.
    void drumLine(int bar, int key, const char* line, float gain = 1) {
        for (int step = 0; line[step] && step < 16; ++step)
            if (line[step] >= '1' && line[step] <= '9')
                drum(bar, step * 0.25, key, int((20 + (line[step] - '0') * 11.5) * gain));
    }

    std::vector<int> barsOf(const std::string& name) const {
        std::vector<int> list;
        for (size_t b = 0; b < bars.size(); ++b)
            if (bars[b].section->name == name) list.push_back(int(b));
        return list;
    }
};

// ---- the band's parts -------------------------------------------------------------------

// The stab on every beat: A4 with two chord tones round it, short and even.
void beatStabs(cComposer& c, int bar, int velocity) {
    const cChord& chord = c.bars[bar].chord;
    std::vector<int> others;
    for (int k : tonesIn(chord, 64, 76))
        if (k != 69) others.push_back(k);
    std::sort(others.begin(), others.end(),
              [](int a, int b) { return std::abs(a - 71) < std::abs(b - 71); });
    others.resize(std::min<size_t>(2, others.size()));
    others.push_back(69);
    others.push_back(81);
    for (int beat = 0; beat < 4; ++beat) {
        c.chord(keys, bar, beat, 0.28, others, velocity + (beat == 0 ? 6 : 0), 0);
        c.note(marimba, bar, beat, 0.2, 69, 112, 0);
    }
}

// Soft comping between the stabs, low and without an A, so it never answers for a beat.
void keysComp(cComposer& c, int bar, int velocity) {
    const cChord& chord = c.bars[bar].chord;
    std::vector<int> voicing;
    for (int k : tonesIn(chord, 50, 62))
        if (k % 12 != 9) voicing.push_back(k);
    if (voicing.size() > 3) voicing.erase(voicing.begin(), voicing.end() - 3);
    const double hits[] = {0.75, 1.5, 2.75, 3.5};
    for (double h : hits)
        if (c.random.chance(0.7f)) c.chord(keys, bar, h, 0.4, voicing, velocity);
}

void guitarChanks(cComposer& c, int bar, int velocity) {
    const cChord& chord = c.bars[bar].chord;
    std::vector<int> voicing;
    for (int k : tonesIn(chord, 72, 79))
        if (k % 12 != 9) voicing.push_back(k);
    if (voicing.size() > 3) voicing.resize(3);
    for (int step = 1; step < 16; step += 2)
        c.chord(guitar, bar, step * 0.25, 0.15, voicing, velocity - (step % 4 == 1 ? 10 : 0), 2);
}

// Clavinet sixteenths: bright and percussive, chord tones without an A.
void clavComp(cComposer& c, int bar, int velocity) {
    const cChord& chord = c.bars[bar].chord;
    std::vector<int> voicing;
    for (int k : tonesIn(chord, 62, 74))
        if (k % 12 != 9) voicing.push_back(k);
    if (voicing.size() > 3) voicing.resize(3);
    const char* pattern = (bar % 2) ? ".7.5.57.5.7..5.7" : ".6.57..5.7.5.6.5";
    for (int step = 0; step < 16; ++step)
        if (pattern[step] != '.')
            c.chord(clav, bar, step * 0.25, 0.18, voicing,
                    velocity - (9 - (pattern[step] - '0')) * 5, 2);
}

// Saxophones holding two chord tones under the band; their reedy overtones fill the
// upper mids that the "powah" uniforms listen to. No A, so the stabs keep the beat.
void saxPad(cComposer& c, int bar, int velocity) {
    std::vector<int> voicing;
    for (int k : tonesIn(c.bars[bar].chord, 60, 79))
        if (k % 12 != 9) voicing.push_back(k);
    if (voicing.size() > 4) voicing.erase(voicing.begin(), voicing.end() - 4);
    for (size_t i = 0; i < voicing.size(); ++i)
        c.note(i < voicing.size() / 2 ? tenor : alto, bar, 0, 3.9, voicing[i], velocity);
}

struct cBassStep {
    int step, interval, length, velocity;
};

// interval 99 is the chromatic approach to the next bar's root.
const std::map<std::string, std::vector<cBassStep>> bassPatterns = {
    {"funk",
     {{0, 0, 3, 110},
      {3, 12, 1, 88},
      {6, 0, 2, 100},
      {7, 10, 1, 84},
      {8, 12, 1, 96},
      {10, 0, 2, 100},
      {11, 7, 1, 80},
      {12, 10, 2, 90},
      {14, 12, 1, 94},
      {15, 99, 1, 82}}},
    {"slap",
     {{0, 0, 2, 118},
      {2, 12, 1, 110},
      {3, 0, 1, 90},
      {5, 12, 1, 106},
      {6, 0, 2, 112},
      {8, 0, 1, 100},
      {9, 12, 1, 110},
      {10, 10, 1, 96},
      {11, 12, 1, 106},
      {12, 0, 2, 112},
      {14, 7, 1, 96},
      {15, 12, 1, 104}}},
    {"float", {{0, 0, 6, 96}, {6, 7, 2, 80}, {8, 12, 4, 86}, {12, 10, 2, 80}, {14, 7, 2, 80}}},
    {"half", {{0, 0, 7, 104}, {7, 0, 1, 80}, {10, 7, 3, 92}, {14, 10, 1, 86}, {15, 99, 1, 80}}},
    {"walk", {{0, 0, 4, 100}, {4, 7, 4, 90}, {8, 10, 4, 92}, {12, 99, 4, 88}}},
    {"pedal", {{0, 0, 16, 90}}},
};

void bassLine(cComposer& c, int bar, const std::string& pattern, int channel = bass,
              int boost = 0) {
    const int root = bassRoot(c.bars[bar].chord);
    const int next = bassRoot(c.bars[bar].next);
    for (const cBassStep& s : bassPatterns.at(pattern)) {
        const int key = s.interval == 99 ? (next > root ? next - 1 : next + 1) : root + s.interval;
        c.note(channel, bar, s.step * 0.25, s.length * 0.25, key, s.velocity + boost, 3);
    }
}

// ---- drums ------------------------------------------------------------------------------

void drumsGroove(cComposer& c, int bar, float gain, bool busy) {
    c.drumLine(bar, kick, busy ? "9..7..7...9..6.." : "9.....7...9..4..", gain);
    c.drumLine(bar, snare, "....9..3.3..9..4", gain);
    c.drumLine(bar, closedHat, busy ? "8686868686868666" : "7575757575757.75", gain);
    c.drumLine(bar, openHat, busy ? "......6.......6." : ".............6..", gain);
    if (busy) c.drumLine(bar, tambourine, "....6.......6...", gain);
}

void drumsRide(cComposer& c, int bar, float gain) {
    c.drumLine(bar, ride, "9.6.8.6.9.6.8.6.", gain);
    c.drumLine(bar, shaker, "5656565656565656", gain);
    c.drumLine(bar, kick, "8.......6.....4.", gain);
    c.drumLine(bar, rim, "....6.......6...", gain);
    c.drumLine(bar, pedalHat, "....5.......5...", gain);
}

void drumsHeavy(cComposer& c, int bar, float gain) {
    c.drumLine(bar, kick, "7...7...7...7.5.", gain);
    c.drumLine(bar, snare, "....9.......9...", gain);
    c.drumLine(bar, clap, "....7.......7...", gain);
    c.drumLine(bar, closedHat, "5.4.5.4.5.4.5.4.", gain);
    c.drumLine(bar, openHat, "..7...7...7...7.", gain);
    c.drumLine(bar, tambourine, "4444444444444444", gain * 0.8f);
}

void drumsFloat(cComposer& c, int bar, float gain) {
    c.drumLine(bar, kick, "8.......6.5.....", gain);
    c.drumLine(bar, rim, "....7.......7...", gain);
    c.drumLine(bar, ride, "7.4.6.4.7.4.6.4.", gain);
    c.drumLine(bar, hiConga, "..5...5..5....5.", gain);
    c.drumLine(bar, lowConga, "......4.....6...", gain);
    c.drumLine(bar, shaker, "6767676767676767", gain);
    c.drumLine(bar, tambourine, "....7.......7...", gain);
}

void drumsHalf(cComposer& c, int bar, float gain) {
    c.drumLine(bar, kick, "9......5..7.....", gain);
    c.drumLine(bar, snare, "........9.......", gain);
    c.drumLine(bar, closedHat, "6464646464646464", gain);
    c.drumLine(bar, shaker, "..6...6...6...6.", gain);
    c.drumLine(bar, ride, "7...7...7...7...", gain);
}

// A sixteenth-note fill over the last beats of a bar, snare then toms.
void drumFill(cComposer& c, int bar, double fromBeat, float gain) {
    const int toms[] = {highTom, midTom, lowTom};
    int i = 0;
    for (double b = fromBeat; b < 3.99; b += 0.25, ++i) {
        const int key = b < 3 ? snare : toms[std::min(2, int((b - 3) * 4) / 2 + (i % 2))];
        c.drum(bar, b, key, int((70 + 40 * (b - fromBeat) / (4 - fromBeat)) * gain));
    }
}

void crashOn(cComposer& c, int bar, int velocity = 105) {
    c.drum(bar, 0, crash, velocity);
    c.drum(bar, 0, kick, velocity);
}

// ---- melody -----------------------------------------------------------------------------

struct cMelodyNote {
    int bar;
    double beat, length;
    int key;
};

// The theme: two four-bar phrases in A dorian, the trombone's home register.
const std::vector<cMelodyNote> themeA = {
    {0, 0, 1.5, 64},     {0, 1.5, 0.5, 62}, {0, 2, 0.75, 64},  {0, 2.75, 0.25, 67},
    {0, 3, 1, 64},       {1, 0.5, 0.5, 60}, {1, 1, 0.5, 62},   {1, 1.5, 1.5, 59},
    {1, 3.5, 0.5, 60},   {2, 0, 1.5, 60},   {2, 1.5, 0.5, 59}, {2, 2, 0.75, 60},
    {2, 2.75, 0.25, 64}, {2, 3, 1, 67},     {3, 0, 0.5, 66},   {3, 0.5, 0.5, 64},
    {3, 1, 2, 62},       {3, 3.5, 0.5, 64}, {4, 0, 1, 65},     {4, 1, 0.5, 64},
    {4, 1.5, 1, 60},     {4, 2.5, 0.5, 62}, {4, 3, 1, 64},     {5, 0, 2, 62},
    {5, 2, 0.5, 64},     {5, 2.5, 1.5, 59}, {6, 0, 0.5, 60},   {6, 0.5, 0.5, 62},
    {6, 1, 0.5, 64},     {6, 1.5, 0.5, 67}, {6, 2, 2, 64},
};

void playTheme(cComposer& c, int firstBar, int channel, int transpose, int velocity,
               int barsToPlay = 8) {
    for (const cMelodyNote& n : themeA)
        if (n.bar < barsToPlay)
            c.note(channel, firstBar + n.bar, n.beat, n.length, n.key + transpose, velocity, 8);
}

// The theme voiced for the horn section: each melody note on top, the others close below.
void hornTheme(cComposer& c, int firstBar, int barsToPlay, int velocity) {
    for (const cMelodyNote& n : themeA) {
        if (n.bar >= barsToPlay) continue;
        const cChord& chord = c.bars[firstBar + n.bar].chord;
        const int top = n.key + 12;
        int voice = top;
        const int channels[] = {alto, tenor, hornBone};
        c.note(trumpet, firstBar + n.bar, n.beat, n.length, top, velocity, 6);
        for (int ch : channels) {
            voice = toneAtOrBelow(chord, voice - 1);
            c.note(ch, firstBar + n.bar, n.beat, n.length, voice - (ch == hornBone ? 12 : 0),
                   velocity - 8, 6);
        }
    }
}

// A horn stab: a short close-voiced chord under a top note.
void hornStab(cComposer& c, int bar, double beat, double length, int top, int velocity) {
    const cChord& chord = c.bars[bar].chord;
    top = toneAtOrBelow(chord, top);
    c.note(trumpet, bar, beat, length, top, velocity, 3);
    int voice = top;
    const int channels[] = {alto, tenor, hornBone};
    for (int ch : channels) {
        voice = toneAtOrBelow(chord, voice - 1);
        c.note(ch, bar, beat, length, voice - (ch == hornBone ? 12 : 0), velocity - 6, 3);
    }
}

// An improvised line: phrases of eighths and sixteenths over the chord, landing on chord
// tones on the beat, with breaths between phrases.
void improvise(cComposer& c, int firstBar, int barCount, int channel, int low, int high,
               int velocity) {
    const int scale[] = {0, 2, 3, 5, 7, 9, 10};  // A dorian
    auto inScale = [&](int key) {
        const int pc = ((key - 9) % 12 + 12) % 12;
        return std::find(std::begin(scale), std::end(scale), pc) != std::end(scale);
    };
    int key = (low + high) / 2;
    for (int b = firstBar; b < firstBar + barCount; ++b) {
        const cChord& chord = c.bars[b].chord;
        double beat = (b - firstBar) % 2 == 0 ? 0.5 : 0;
        const double end = (b - firstBar) % 2 == 1 ? 3.0 : 4.0;  // breathe every two bars
        while (beat < end) {
            const bool run = c.random.chance(0.3f);
            const double step = run ? 0.25 : 0.5;
            int move = c.random.below(5) - 2;
            if (move == 0) move = 1;
            key += move;
            while (!inScale(key))
                key += move > 0 ? 1 : -1;
            // Fold back by an octave, which keeps the note in the scale.
            if (key > high) key -= 12;
            if (key < low) key += 12;
            const bool onBeat = std::fabs(beat - std::round(beat)) < 1e-6;
            // Between beats the line steps over A, whose overtones would sound like a beat
            // to the camera triggers.
            if (!onBeat && ((key - 9) % 12 + 12) % 12 == 0) key += move > 0 ? 2 : -2;
            int sounding = key;
            if (onBeat) sounding = toneAtOrBelow(chord, key);
            const double length = onBeat && c.random.chance(0.3f) ? 1.0 : step;
            c.note(channel, b, beat, length * 0.9, sounding, velocity + (onBeat ? 6 : 0), 8);
            beat += length;
        }
    }
}

// ---- the opening: the sentence answered note by note -------------------------------------

void writeIntro(cComposer& c) {
    // The word cards' start times; each gets a vibraphone note, and the key words a hit.
    const struct {
        double time;
        int key;
    } words[] = {{2856, 76},  {2956, 79},  {3150, 81},  {3250, 84}, {3462, 83}, {3482, 81},
                 {3492, 79},  {4619, 88},  {4819, 84},  {5230, 81}, {5630, 76}, {6737, 79},
                 {6999, 81},  {7424, 84},  {7739, 83},  {8081, 88}, {9605, 81}, {9904, 84},
                 {10362, 79}, {10642, 76}, {10862, 81}, {11169, 69}};
    for (size_t i = 0; i < std::size(words); ++i) {
        const double next = i + 1 < std::size(words) ? words[i + 1].time : 11600;
        c.play(vibes, words[i].time, std::max(120.0, next - words[i].time), words[i].key, 96);
    }

    // The pad swells in under it, changing chord with the sentence.
    const struct {
        double from, to;
        std::vector<int> keys;
        int bass;
    } chords[] = {{0, 4619, {57, 60, 64, 67, 71, 81}, 0},
                  {4619, 6737, {53, 57, 60, 64, 67, 81}, 0},
                  {6737, 9605, {50, 53, 57, 60, 64, 81}, 38},
                  {9605, 11600, {52, 57, 59, 62, 64, 81}, 28}};
    for (const auto& ch : chords) {
        for (int k : ch.keys)
            c.play(pad, ch.from, ch.to - ch.from, k, 80);
        std::vector<int> upper(ch.keys.begin() + 1, ch.keys.end() - 1);
        for (size_t i = 0; i < upper.size(); ++i)
            c.play(keys, ch.from + i * 140, ch.to - ch.from - i * 140, upper[i] + 12, 58);
        if (ch.bass) c.play(bass, ch.from, ch.to - ch.from - 80, ch.bass, 92);
        c.play(keys, ch.from, ch.to - ch.from, 81, 84);
        c.play(strings, ch.from, ch.to - ch.from, 81, 76);
    }
    for (int i = 0; i <= 25; ++i)
        c.control(pad, i * 100.0, 11, 30 + i * 3);

    // "jazz", "funk" and "movement" get the band.
    auto stab = [&](double time, std::vector<int> keysToPlay, int velocity, double length) {
        const int channels[] = {trumpet, alto, tenor, hornBone};
        for (size_t i = 0; i < keysToPlay.size() && i < 4; ++i)
            c.play(channels[i], time, length, keysToPlay[i], velocity);
    };
    stab(4619, {76, 72, 67, 53}, 100, 260);
    c.play(drums, 4619, 80, splash, 100);
    c.play(drums, 5230, 80, kick, 110);
    c.play(drums, 5230, 80, snare, 105);
    for (int k : {64, 67, 72})
        c.play(clav, 5230, 200, k, 105);
    c.play(drums, 8081, 80, crash, 110);
    c.play(drums, 8081, 80, kick, 105);
    stab(8081, {79, 76, 72, 50}, 96, 1400);
    c.play(drums, 11169, 80, kick, 90);
    c.play(bass, 11169, 140, 40, 95);
    c.play(bass, 11314, 140, 43, 95);
    c.play(bass, 11459, 130, 44, 100);

    // Time comes in under the second half of the sentence, then a fill into the groove.
    for (double t = 5630; t < 10800; t += 580) {
        c.play(drums, t, 80, ride, 58 + int((t - 5630) / 300));
        c.play(drums, t + 290, 80, ride, 40);
    }
    for (double t = 6737; t < 10800; t += 1160)
        c.play(drums, t + 580, 80, pedalHat, 60);
    for (int i = 0; i < 5; ++i)
        c.play(drums, 10862 + i * 145, 80, i < 3 ? snare : (i == 3 ? midTom : lowTom), 72 + i * 9);
}

// ---- the whole piece --------------------------------------------------------------------

void writeSections(cComposer& c) {
    const int stab = 112;
    auto each = [&](const char* name, auto body) {
        const std::vector<int> list = c.barsOf(name);
        for (size_t i = 0; i < list.size(); ++i)
            body(list[i], int(i), int(list.size()));
    };

    each("groove", [&](int bar, int i, int n) {
        if (i == 0) crashOn(c, bar);
        drumsGroove(c, bar, 0.9f, false);
        if (i == n - 1) drumFill(c, bar, 3, 0.9f);
        bassLine(c, bar, "funk");
        beatStabs(c, bar, stab);
        keysComp(c, bar, 62);
        guitarChanks(c, bar, 70);
    });
    playTheme(c, c.barsOf("groove")[0], lead, -12, 96);

    each("tunnel", [&](int bar, int i, int n) {
        if (i == 0 || i == 4) crashOn(c, bar);
        drumsGroove(c, bar, 1.0f, true);
        if (i == n - 1) drumFill(c, bar, 2, 1.0f);
        bassLine(c, bar, "funk", bass, 6);
        beatStabs(c, bar, stab);
        keysComp(c, bar, 64);
        guitarChanks(c, bar, 76);
        if (i < 4) {
            // The horn riff answers itself every other bar.
            hornStab(c, bar, 0.5, 0.3, 79, 100);
            hornStab(c, bar, 1.25, 0.6, 76, 96);
            if (i % 2 == 1) {
                hornStab(c, bar, 2.75, 0.2, 74, 92);
                hornStab(c, bar, 3.0, 0.9, 76, 100);
            }
        }
    });
    hornTheme(c, c.barsOf("tunnel")[4], 4, 102);
    playTheme(c, c.barsOf("tunnel")[4], lead, -12, 98, 4);

    each("sculpture", [&](int bar, int i, int) {
        if (i == 0) crashOn(c, bar, 96);
        drumsRide(c, bar, 0.9f);
        bassLine(c, bar, "walk");
        beatStabs(c, bar, stab);
        clavComp(c, bar, 84);
        saxPad(c, bar, 74);
        for (int k : tonesIn(c.bars[bar].chord, 48, 60))
            c.note(strings, bar, 0, 4, k, 70);
    });
    improvise(c, c.barsOf("sculpture")[0], 4, mutedTrumpet, 67, 82, 100);

    each("sculpture2", [&](int bar, int i, int) {
        if (i % 2 == 0) crashOn(c, bar);
        drumsGroove(c, bar, 1.0f, true);
        bassLine(c, bar, "funk", bass, 4);
        beatStabs(c, bar, stab);
        clavComp(c, bar, 88);
        saxPad(c, bar, 82);
        hornStab(c, bar, 0, 0.4, 81, 108);
        hornStab(c, bar, 1.5, 0.4, 79, 100);
        hornStab(c, bar, 3, 0.3, 76, 96);
    });
    improvise(c, c.barsOf("sculpture2")[0], 4, trumpet, 67, 84, 104);

    each("sculpture3", [&](int bar, int i, int) {
        if (i == 0) crashOn(c, bar);
        drumsGroove(c, bar, 0.95f, false);
        c.drumLine(bar, ride, "6.4.6.4.6.4.6.4.", 0.9f);
        bassLine(c, bar, "funk");
        beatStabs(c, bar, stab);
        clavComp(c, bar, 84);
        saxPad(c, bar, 74);
    });
    improvise(c, c.barsOf("sculpture3")[0], 4, lead, 50, 65, 98);

    each("sculpture4", [&](int bar, int i, int n) {
        drumsGroove(c, bar, 0.8f + 0.07f * i, i >= 2);
        if (i == n - 1) drumFill(c, bar, 2, 1.0f);
        bassLine(c, bar, "funk", bass, 4 * i);
        beatStabs(c, bar, stab);
        clavComp(c, bar, 80 + 4 * i);
        if (i < 2) saxPad(c, bar, 72);
        // The horns climb a step every beat towards the loudspeakers.
        for (int beat = 0; beat < 4; ++beat)
            hornStab(c, bar, beat, 0.8, 72 + i * 3 + beat, 84 + i * 6);
    });

    each("speakers", [&](int bar, int i, int) {
        if (i % 4 == 0) crashOn(c, bar, 112);
        drumsHeavy(c, bar, 1.0f);
        bassLine(c, bar, "slap", slap);
        beatStabs(c, bar, stab);
        guitarChanks(c, bar, 80);
        // A riff in two-bar call and response.
        if (i % 2 == 0) {
            hornStab(c, bar, 0, 0.3, 76, 110);
            hornStab(c, bar, 0.75, 0.3, 79, 104);
            hornStab(c, bar, 1.5, 1.2, 81, 108);
        } else {
            hornStab(c, bar, 2, 0.3, 79, 100);
            hornStab(c, bar, 2.5, 0.3, 76, 100);
            hornStab(c, bar, 3, 0.8, 74, 104);
        }
    });
    playTheme(c, c.barsOf("speakers")[4], lead, -12, 104, 4);

    each("smoke", [&](int bar, int i, int n) {
        if (i % 2 == 0) crashOn(c, bar, 115);
        drumsHeavy(c, bar, 1.0f);
        c.drumLine(bar, rideBell, "8...8...8...8...", 0.9f);
        if (i == n - 1) drumFill(c, bar, 2, 1.0f);
        bassLine(c, bar, "slap", slap, 4);
        beatStabs(c, bar, stab);
        guitarChanks(c, bar, 80);
        // Long saxophone pads behind the solo.
        for (int k : tonesIn(c.bars[bar].chord, 60, 72)) {
            const int ch = k < 64 ? tenor : alto;
            c.note(ch, bar, 0, 3.8, k, 72);
        }
    });
    improvise(c, c.barsOf("smoke")[0], 8, lead, 55, 70, 108);

    each("break", [&](int bar, int i, int) {
        for (int k : tonesIn(c.bars[bar].chord, 52, 81))
            c.note(pad, bar, 0, 4, k, 84);
        std::vector<int> voicing = tonesIn(c.bars[bar].chord, 60, 81);
        c.chord(keys, bar, 0, 3.5, voicing, 70);
        c.note(bass, bar, 0, 3.8, bassRoot(c.bars[bar].chord), 90);
        c.drumLine(bar, shaker, "4545454545454545", 0.9f);
        c.note(vibes, bar, 2, 1, 81, 84);
        c.note(vibes, bar, 3, 1, 84 - 3 * i, 76);
        if (i == 1) {
            for (int k = 0; k < 4; ++k)
                c.drum(bar, 3 + k * 0.25, snare, 60 + k * 12);
        }
    });
    c.note(lead, c.barsOf("break")[0], 0.5, 3, 64, 86);
    c.note(lead, c.barsOf("break")[1], 0, 2, 62, 82);

    each("creatures", [&](int bar, int i, int) {
        if (i == 0) crashOn(c, bar, 96);
        drumsFloat(c, bar, 0.95f);
        bassLine(c, bar, "float");
        beatStabs(c, bar, stab);
        clavComp(c, bar, 76);
        if (i % 4 != 3) saxPad(c, bar, 70);
        // Vibraphone arpeggios ripple upwards like bubbles.
        const std::vector<int> arp = tonesIn(c.bars[bar].chord, 72, 88);
        for (int k = 0; k < 8; ++k)
            c.note(vibes, bar, 0.5 * k + 0.25, 0.4, arp[(k * 2 + i) % arp.size()], 70);
    });
    improvise(c, c.barsOf("creatures")[0], 8, alto, 67, 81, 92);
    improvise(c, c.barsOf("creatures")[2], 6, mutedTrumpet, 72, 86, 96);

    each("spheres", [&](int bar, int i, int) {
        if (i == 0) crashOn(c, bar);
        drumsHalf(c, bar, 0.95f);
        bassLine(c, bar, "half");
        beatStabs(c, bar, stab);
        for (int k : tonesIn(c.bars[bar].chord, 53, 67))
            c.note(strings, bar, 0, 4, k, 78);
        saxPad(c, bar, 68);
    });
    playTheme(c, c.barsOf("spheres")[0], lead, -12, 100);

    each("spheres2", [&](int bar, int i, int n) {
        if (i % 2 == 0) crashOn(c, bar, 110);
        drumsGroove(c, bar, 1.0f, true);
        c.drumLine(bar, rideBell, "8...8...8...8...", 0.8f);
        if (i == n - 1) drumFill(c, bar, 2, 1.0f);
        bassLine(c, bar, "funk", bass, 8);
        beatStabs(c, bar, stab);
        guitarChanks(c, bar, 78);
        for (int k : tonesIn(c.bars[bar].chord, 55, 67))
            c.note(strings, bar, 0, 4, k, 80);
    });
    hornTheme(c, c.barsOf("spheres2")[0], 8, 104);
    playTheme(c, c.barsOf("spheres2")[0], lead, -12, 104);

    each("closing", [&](int bar, int i, int) {
        if (i == 0) crashOn(c, bar, 110);
        drumsGroove(c, bar, 1.0f, false);
        bassLine(c, bar, "funk");
        beatStabs(c, bar, stab);
        keysComp(c, bar, 62);
        guitarChanks(c, bar, 74);
    });
    hornTheme(c, c.barsOf("closing")[0], 4, 100);
    playTheme(c, c.barsOf("closing")[0], lead, -12, 100, 4);

    each("outro", [&](int bar, int i, int n) {
        const float gain = 1.0f - 0.12f * i;
        if (i < n - 2)
            drumsGroove(c, bar, gain, false);
        else
            drumsRide(c, bar, gain);
        bassLine(c, bar, i < n - 1 ? "funk" : "pedal", bass, -6 * i);
        beatStabs(c, bar, stab - 6 * i);
        keysComp(c, bar, 56);
    });
    playTheme(c, c.barsOf("outro")[0], lead, -12, 92, 4);

    // The last chord: everyone on A minor nine, left to ring while the track fades.
    const double last = arrangement().back().start;
    const double ring = arrangement().back().end + 600 - last;
    c.play(drums, last, 80, crash, 100);
    c.play(drums, last, 80, kick, 100);
    c.play(bass, last, ring, 33, 100);
    for (int k : {57, 60, 64, 67, 71})
        c.play(keys, last, ring, k, 80);
    for (int k : {57, 64, 67, 71, 76})
        c.play(pad, last, ring, k, 80);
    const int horns[] = {trumpet, alto, tenor, hornBone};
    const int hornKeys[] = {76, 71, 67, 57};
    for (int i = 0; i < 4; ++i)
        c.play(horns[i], last, ring * 0.7, hornKeys[i], 90);
}

}  // namespace

cScore composeScore() {
    cScore score;
    score.programs = {{keys, 0, 4},   {bass, 0, 33},    {lead, 0, 57},     {trumpet, 0, 56},
                      {alto, 0, 65},  {tenor, 0, 66},   {guitar, 0, 28},   {pad, 0, 89},
                      {vibes, 0, 11}, {drums, 128, 0},  {hornBone, 0, 57}, {slap, 0, 36},
                      {clav, 0, 7},   {strings, 0, 49}, {marimba, 0, 12},  {mutedTrumpet, 0, 59}};
    cComposer c(score);
    // The mix: levels, stereo placement and room.
    const struct {
        int channel, volume, pan, reverb;
    } mix[] = {{keys, 100, 54, 20},        {bass, 112, 64, 8},     {lead, 108, 64, 50},
               {trumpet, 100, 76, 50},     {alto, 104, 52, 50},    {tenor, 104, 70, 50},
               {guitar, 70, 88, 30},       {pad, 76, 64, 90},      {vibes, 90, 44, 70},
               {drums, 100, 64, 30},       {hornBone, 88, 60, 50}, {slap, 100, 64, 8},
               {clav, 90, 72, 30},         {strings, 80, 64, 80},  {marimba, 120, 64, 10},
               {mutedTrumpet, 110, 58, 60}};
    for (const auto& m : mix) {
        c.control(m.channel, 0, 7, m.volume);
        c.control(m.channel, 0, 10, m.pan);
        c.control(m.channel, 0, 91, m.reverb);
        c.control(m.channel, 0, 93, 0);
    }
    writeIntro(c);
    writeSections(c);
    score.length = arrangement().back().end + 700;
    score.fadeStart = arrangement().back().start + 400;
    score.fadeEnd = score.length - 100;
    std::stable_sort(score.notes.begin(), score.notes.end(),
                     [](const cNoteEvent& a, const cNoteEvent& b) { return a.start < b.start; });
    return score;
}

}  // namespace nimra::bake
