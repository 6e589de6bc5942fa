#pragma once
// The music as data: the arrangement laid out against the demo's timeline, and the notes
// the composer writes into it. Times are milliseconds of the track.

#include <string>
#include <vector>

namespace nimra::bake {

// A stretch of whole 4/4 bars ending exactly on the next cut of the timeline; its bar
// length is whatever makes that come out (all close to 103.1 BPM). The last section has
// no bars: it is the final chord ringing out.
struct cSection {
    std::string name;
    double start, end;
    int bars;
    double barLength() const { return bars ? (end - start) / bars : 0; }
    double beatLength() const { return barLength() / 4; }
};

const std::vector<cSection>& arrangement();
// Every beat of the arrangement, in order.
std::vector<double> beatTimes();

struct cNoteEvent {
    double start, length;
    int channel, key, velocity;
};

struct cControlEvent {
    double time;
    int channel, controller, value;
};

struct cProgram {
    int channel, bank, program;
};

struct cScore {
    std::vector<cProgram> programs;
    std::vector<cControlEvent> controls;
    std::vector<cNoteEvent> notes;
    double length = 0;     // of the rendered track
    double fadeStart = 0;  // master fade to silence at the end
    double fadeEnd = 0;
};

cScore composeScore();

}  // namespace nimra::bake
