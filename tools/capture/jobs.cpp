#include "jobs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

#include "ending.h"

namespace capture {

std::vector<cPiece> cutStretch(long first, long last, int jobs, long pieceFrames) {
    const long frames = last - first + 1;
    if (frames <= 0 || jobs < 1) return {};
    long pieces = 1;
    if (jobs > 1) {
        const long perRound = long(jobs) * pieceFrames;
        pieces = long(jobs) * ((frames + perRound - 1) / perRound);
        if (pieces > frames) pieces = frames;
    }
    std::vector<cPiece> out;
    for (long i = 0; i < pieces; ++i) {
        out.push_back(cPiece{first + i * frames / pieces, first + (i + 1) * frames / pieces - 1,
                             static_cast<int>(i % jobs)});
    }
    return out;
}

cJobs::~cJobs() {
    // Not SIGTERM: SDL turns that into a quit event, which the capture loop never reads. The
    // whole group, so that a job's encoder goes with it.
    for (pid_t child : children) {
        if (child > 0) {
            kill(-child, SIGKILL);
            waitpid(child, nullptr, 0);
            forgetProcess(child);
        }
    }
    if (counters) munmap(counters, sizeof(std::atomic<long>) * count);
}

bool cJobs::start(int jobs, const std::string& dir,
                  const std::function<int(int, std::atomic<long>&)>& body, std::string& error) {
    count = jobs;
    logDir = dir;
    void* shared = mmap(nullptr, sizeof(std::atomic<long>) * jobs, PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        error = std::string("no memory to share with the jobs: ") + std::strerror(errno);
        return false;
    }
    counters = static_cast<std::atomic<long>*>(shared);
    for (int i = 0; i < jobs; ++i)
        new (&counters[i]) std::atomic<long>(0);

    std::fflush(nullptr);
    for (int job = 0; job < jobs; ++job) {
        const pid_t child = fork();
        if (child < 0) {
            error = std::string("cannot start a job: ") + std::strerror(errno);
            return false;
        }
        if (child == 0) {
            // A group of its own, which the tool ends as one: the job and its encoder.
            setpgid(0, 0);
            leaveEnding();
            const std::string log = logDir + "/job_" + std::to_string(job) + ".log";
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                dup2(out, STDOUT_FILENO);
                ::close(out);
            }
            const int status = body(job, counters[job]);
            std::fflush(nullptr);
            _exit(status);
        }
        setpgid(child, child);
        keepProcess(child, true);
        children.push_back(child);
    }
    return true;
}

long cJobs::framesDone() const {
    long done = 0;
    for (int i = 0; i < count; ++i)
        done += counters[i].load(std::memory_order_relaxed);
    return done;
}

// The last lines a job wrote to its log.
static std::string logTail(const std::string& path, size_t lines) {
    std::ifstream in(path);
    std::vector<std::string> kept;
    for (std::string line; std::getline(in, line);) {
        kept.push_back(line);
        if (kept.size() > lines) kept.erase(kept.begin());
    }
    std::string out;
    for (const std::string& line : kept)
        out += "\n    " + line;
    return out;
}

bool cJobs::wait(const std::function<void()>& tick, std::string& error) {
    size_t running = children.size();
    while (running > 0) {
        int status = 0;
        const pid_t ended = waitpid(-1, &status, WNOHANG);
        if (ended == 0) {
            tick();
            usleep(200 * 1000);
            continue;
        }
        if (ended < 0) {
            if (errno == EINTR) continue;
            error = std::string("lost the jobs: ") + std::strerror(errno);
            return false;
        }
        for (size_t job = 0; job < children.size(); ++job) {
            if (children[job] != ended) continue;
            children[job] = 0;
            --running;
            forgetProcess(ended);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;
            // Ended by the tool's own stop: not a failure to report.
            waitIfEnding();
            error =
                "job " + std::to_string(job) + " of " + std::to_string(children.size()) +
                (WIFSIGNALED(status)
                     ? " was ended by signal " + std::to_string(WTERMSIG(status))
                     : " failed with status " + std::to_string(WEXITSTATUS(status))) +
                "; its last output:" + logTail(logDir + "/job_" + std::to_string(job) + ".log", 8);
            return false;  // the destructor ends the rest
        }
    }
    tick();
    return true;
}

}  // namespace capture
