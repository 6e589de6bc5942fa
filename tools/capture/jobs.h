#pragma once
// A stretch drawn by several processes at once. Each process plays the show from 0 ms on
// the same fixed step as one process would, frame by frame, and draws only its own pieces
// of the stretch: no frame's state is ever reached by jumping, so every frame comes out as
// one process would have drawn it.

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace capture {

// Frames first to last of the fixed step (indices, both included), drawn by one job.
struct cPiece {
    long first;
    long last;
    int job;
};

// The stretch's frames cut into pieces: one for a single job; otherwise a whole number
// of pieces per job, each about pieceFrames long, dealt out in turn so that every job
// draws its share of every part of the show (the scenes differ several times over in
// what a frame costs). Never more pieces than frames.
std::vector<cPiece> cutStretch(long first, long last, int jobs, long pieceFrames);

// Child processes, each running one job and counting the frames it has done where the
// parent can read them.
class cJobs {
public:
    ~cJobs();

    // Forks one process per job; each sends its standard output to logDir/job_N.log (its
    // errors stay on standard error), runs body(job, frames done) and exits with its result.
    // Call before anything of SDL or GL is started.
    bool start(int count, const std::string& logDir,
               const std::function<int(int, std::atomic<long>&)>& body, std::string& error);

    long framesDone() const;

    // Waits for every job, calling tick now and then. When one fails the others are ended
    // and false comes back with the failed job's last lines of output.
    bool wait(const std::function<void()>& tick, std::string& error);

private:
    std::atomic<long>* counters = nullptr;
    int count = 0;
    std::vector<pid_t> children;
    std::string logDir;
};

}  // namespace capture
