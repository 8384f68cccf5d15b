#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// A converter run as a child process: its own working folder, no terminal (standard input,
// output and error on the null device), waited for with a time-out while the caller keeps its
// window alive, terminated and reaped so that no zombie is left.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child still running is terminated.
    ~ChildProcess();

    // False with the system's reason when the program cannot be started.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder, std::string& error);
    // Waits up to `milliseconds` for the end, calling `idle` every few milliseconds meanwhile;
    // true when the child has ended.
    bool waitFor(int milliseconds, const std::function<void()>& idle);
    // Kills the child and reaps it.
    void terminate();

    bool running() const { return m_pid > 0; }
    // After the end: whether the child ended by itself with exit(), and its status.
    bool exitedNormally() const { return m_exited; }
    int exitCode() const { return m_exitCode; }
    pid_t pid() const { return m_pid; }

private:
    bool reap(bool block);

    pid_t m_pid = -1;
    bool m_exited = false;
    int m_exitCode = -1;
};
