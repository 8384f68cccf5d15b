#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

ChildProcess::~ChildProcess() {
    terminate();
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder, std::string& error) {
    terminate();
    m_exited = false;
    m_exitCode = -1;
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = std::strerror(failed);
        return false;
    }
    // glibc's posix_spawn reports a program that cannot be run as its own failure.
    m_pid = pid;
    return true;
}

bool ChildProcess::reap(bool block) {
    if (m_pid <= 0) return true;
    int status = 0;
    pid_t done;
    while ((done = ::waitpid(m_pid, &status, block ? 0 : WNOHANG)) < 0 && errno == EINTR) {
    }
    if (done == 0) return false;
    if (done == m_pid) {
        m_exited = WIFEXITED(status);
        m_exitCode = m_exited ? WEXITSTATUS(status) : -1;
    }
    m_pid = -1;
    return true;
}

bool ChildProcess::waitFor(int milliseconds, const std::function<void()>& idle) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (reap(false)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        if (idle) idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::terminate() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    reap(true);
    m_exited = false;
    m_exitCode = -1;
}
