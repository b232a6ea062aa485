#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zeb::test {

// The first Python 3 that can import module: the system one first (where
// distribution packages such as pyftpdlib live), then the one on PATH.
// Empty when none can.
inline std::string PythonWith(const std::string& module) {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        std::string check = std::string(python) + " -c 'import " + module + "' >/dev/null 2>&1";
        if (std::system(check.c_str()) == 0)
            return python;
    }
    return {};
}

// A server started in a process group of its own, which prints "PORT <n>"
// on its first output line once it listens. The group is ended when the
// object goes, and the server dies with the test process.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& argv) {
        std::vector<char*> args; // made before fork: the child must not allocate
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = ::fork();
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0)
            RunChild(args, out);
        ::setpgid(pid_, pid_);
        ::close(out[1]);
        out_ = out[0];
        port_ = ReadPort();
        if (port_ <= 0) {
            Stop();
            throw std::runtime_error("server did not report its port: " + argv.at(1));
        }
    }
    ~ServerProcess() { Stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& scheme, const std::string& path) const {
        return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    [[noreturn]] static void RunChild(std::vector<char*>& args, int out[2]) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }

    // Waits at most 15 s for the "PORT <n>" line.
    int ReadPort() {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (line.find('\n') == std::string::npos) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return -1;
            char c[256];
            ssize_t got = ::read(out_, c, sizeof c);
            if (got <= 0)
                return -1;
            line.append(c, static_cast<size_t>(got));
        }
        if (line.rfind("PORT ", 0) != 0)
            return -1;
        return std::atoi(line.c_str() + 5);
    }

    void Stop() {
        if (pid_ <= 0)
            return;
        ::kill(-pid_, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                Finish();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        Finish();
    }

    void Finish() {
        ::kill(-pid_, SIGKILL); // anything else left in the group
        pid_ = -1;
        if (out_ >= 0)
            ::close(out_);
        out_ = -1;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = -1;
};

} // namespace zeb::test
