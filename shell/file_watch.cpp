#include "shell/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace nimra {

cFileWatch::~cFileWatch() { stop(); }

void cFileWatch::stop() {
    if (descriptor != -1) close(descriptor);
    descriptor = -1;
}

bool cFileWatch::start(const std::string& directory) {
    stop();
    const int instance = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (instance == -1) {
        std::cout << "file watch: no inotify: " << std::strerror(errno) << std::endl;
        return false;
    }
    // Closing after writing, not every write: a file is reported once it is whole.
    if (inotify_add_watch(instance, directory.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR) ==
        -1) {
        std::cout << "file watch: cannot watch " << directory << ": " << std::strerror(errno)
                  << std::endl;
        close(instance);
        return false;
    }
    descriptor = instance;
    return true;
}

std::vector<std::string> cFileWatch::changed() {
    std::vector<std::string> names;
    if (descriptor == -1) return names;

    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = read(descriptor, buffer, sizeof buffer);
        if (length == -1 && errno == EINTR) continue;
        if (length <= 0) break;  // EAGAIN: nothing more waiting
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                std::cout << "file watch: too many changes at once, some were missed; save "
                             "again"
                          << std::endl;
                continue;
            }
            // A folder renamed in is no file, and the watch's own end (IN_IGNORED) has no name.
            if ((event->mask & IN_ISDIR) || event->len == 0) continue;
            const std::string name(event->name);
            if (name.empty()) continue;
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    return names;
}

}  // namespace nimra
