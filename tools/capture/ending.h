#pragma once
// How the capture tool ends when it is told to stop (Ctrl-C, SIGINT; SIGTERM) or when its
// start-up fails deep inside the show's own start-up (which exits there): the processes it
// started are ended, its work folder and any file half written are removed, and nothing of
// the run is left behind but the files it finished.

#include <sys/types.h>

#include <string>

namespace capture {

// First thing in main, before any thread exists: SIGINT and SIGTERM are taken by a thread
// of their own from then on. On either, at once, every process kept here is ended (a job
// with everything it started), then (after any file being written is done, or half a second
// at most) every path kept here is removed, and the tool exits with status 128 + the signal
// (130 for SIGINT, 143 for SIGTERM). At exit() the paths are removed too.
void handleEnding();

// In a job process straight after fork: none of this is the job's (it ends with the default
// actions, and removes nothing at its exit); it also ends when the tool does.
void leaveEnding();

// A process ended with the tool: group when it leads a process group of its own (a job).
void keepProcess(pid_t pid, bool group);
void forgetProcess(pid_t pid);

// A path removed (a folder with everything in it) when the tool is stopped or exits.
void removeOnEnd(const std::string& path);
void keepOnEnd(const std::string& path);

// Once the tool is being stopped, the thread that asks waits here for the end instead of
// reporting what the stop did to it (a job killed, a pipe closed) as a failure.
void waitIfEnding();

// While one lives, the file at path is being written under path + ".part": a stop waits
// for it (half a second at most), and removes the part file if it is still there.
class cWriting {
public:
    explicit cWriting(const std::string& path);
    ~cWriting();
    cWriting(const cWriting&) = delete;
    cWriting& operator=(const cWriting&) = delete;

private:
    std::string partial;
};

// A shell command run as a process the tool ends when it is stopped, with the signals the
// tool takes for itself left to it. Writing: its standard input is a pipe (write, close);
// otherwise it runs to its end (run).
class cCommand {
public:
    ~cCommand();
    bool open(const std::string& command);  // false when it cannot be started
    bool write(const void* data, size_t bytes);
    // Waits for it; true when it exited with status 0.
    bool close();
    static bool run(const std::string& command);

private:
    pid_t pid = -1;
    int input = -1;
};

}  // namespace capture
