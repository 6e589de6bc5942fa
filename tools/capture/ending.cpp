#include "ending.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

namespace capture {

namespace {

// Guards what is kept; the thread that ends the tool takes it and never gives it back.
std::mutex lock;
std::vector<std::pair<pid_t, bool>> processes;
std::vector<std::string> paths;
// Held while a file is written.
std::timed_mutex writing;
std::atomic<bool> ending{false};
// In a job process: nothing here is its own.
bool left = false;

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Caller holds lock.
void endProcesses() {
    for (const auto& [pid, group] : processes)
        kill(group ? -pid : pid, SIGKILL);
    for (const auto& [pid, group] : processes)
        waitpid(pid, nullptr, 0);
    processes.clear();
}

void removePaths() {
    std::error_code ec;
    for (const std::string& path : paths)
        std::filesystem::remove_all(path, ec);
    paths.clear();
}

void* waitForStop(void*) {
    const sigset_t set = stopSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    ending = true;
    lock.lock();
    // The processes first, so that nothing writes into what is removed next.
    endProcesses();
    const bool idle = writing.try_lock_for(std::chrono::milliseconds(500));
    (void)idle;  // a file still being written after that is removed half written
    removePaths();
    _exit(128 + signal);
}

void atExit() {
    if (left) return;
    // A stop under way finishes the job (and exits) while this waits.
    std::lock_guard<std::mutex> guard(lock);
    endProcesses();
    removePaths();
}

// In a process about to run a command: the stop signals its own again.
void restoreSignals() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
}

}  // namespace

void handleEnding() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, waitForStop, nullptr) == 0) pthread_detach(thread);
    std::atexit(atExit);
}

void leaveEnding() {
    left = true;
    restoreSignals();
    // A job has no reason to go on drawing once the tool has ended.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
}

void keepProcess(pid_t pid, bool group) {
    if (left) return;
    std::lock_guard<std::mutex> guard(lock);
    processes.emplace_back(pid, group);
}

void forgetProcess(pid_t pid) {
    if (left) return;
    std::lock_guard<std::mutex> guard(lock);
    processes.erase(std::remove_if(processes.begin(), processes.end(),
                                   [&](const auto& kept) { return kept.first == pid; }),
                    processes.end());
}

void removeOnEnd(const std::string& path) {
    if (left) return;
    std::lock_guard<std::mutex> guard(lock);
    paths.push_back(path);
}

void keepOnEnd(const std::string& path) {
    if (left) return;
    std::lock_guard<std::mutex> guard(lock);
    const auto found = std::find(paths.begin(), paths.end(), path);
    if (found != paths.end()) paths.erase(found);
}

void waitIfEnding() {
    if (!ending) return;
    for (;;)
        pause();
}

cWriting::cWriting(const std::string& path) : partial(path + ".part") {
    removeOnEnd(partial);
    writing.lock();
}

cWriting::~cWriting() {
    // Free first: a stop waiting for the write holds the list until the tool exits.
    writing.unlock();
    keepOnEnd(partial);
}

cCommand::~cCommand() { close(); }

static pid_t start(const std::string& command, int input) {
    const pid_t pid = fork();
    if (pid == 0) {
        restoreSignals();
        if (input >= 0) dup2(input, STDIN_FILENO);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid > 0) keepProcess(pid, false);
    return pid;
}

static bool finish(pid_t pid) {
    int status = 0;
    pid_t ended;
    do {
        ended = waitpid(pid, &status, 0);
    } while (ended < 0 && errno == EINTR);
    forgetProcess(pid);
    return ended == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool cCommand::open(const std::string& command) {
    close();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    pid = start(command, ends[0]);
    ::close(ends[0]);
    if (pid < 0) {
        ::close(ends[1]);
        return false;
    }
    input = ends[1];
    return true;
}

bool cCommand::write(const void* data, size_t bytes) {
    const char* at = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t written = ::write(input, at, bytes);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += written;
        bytes -= static_cast<size_t>(written);
    }
    return true;
}

bool cCommand::close() {
    if (pid < 0) return true;
    if (input >= 0) ::close(input);
    input = -1;
    const bool ok = finish(pid);
    pid = -1;
    return ok;
}

bool cCommand::run(const std::string& command) {
    const pid_t pid = start(command, -1);
    return pid > 0 && finish(pid);
}

}  // namespace capture
