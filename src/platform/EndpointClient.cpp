#include "platform/EndpointClient.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zeb {

namespace {

using Clock = std::chrono::steady_clock;

class Socket {
public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd pfd{fd, events, 0};
        int rc = ::poll(&pfd, 1, MsLeft(deadline));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

bool Connect(int fd, const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    // A Unix-domain connect completes at once or fails (EAGAIN: backlog full).
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
}

bool WriteAll(int fd, const std::vector<uint8_t>& data, Clock::time_point deadline) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitFor(fd, POLLOUT, deadline))
                return false;
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

enum class Reading { Answer, Closed, TimedOut };

// Reads the 4-byte answer into *value. Closed when the endpoint ended the
// connection first (an endpoint closes connections it will not serve).
Reading ReadAnswer(int fd, Clock::time_point deadline, int32_t* value) {
    uint8_t bytes[4];
    size_t done = 0;
    while (done < sizeof bytes) {
        ssize_t n = ::recv(fd, bytes + done, sizeof bytes - done, 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitFor(fd, POLLIN, deadline))
                return Reading::TimedOut;
        } else if (!(n < 0 && errno == EINTR)) {
            return Reading::Closed;
        }
    }
    uint32_t le = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                  static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    *value = static_cast<int32_t>(le);
    return Reading::Answer;
}

} // namespace

EndpointReply ExchangeEndpointRequest(const std::string& path, const EndpointRequest& request,
                                      int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Socket socket;
    if (socket.Fd() < 0 || !Connect(socket.Fd(), path))
        return {EndpointStatus::NotDelivered, 0};
    if (!WriteAll(socket.Fd(), EncodeEndpointRequest(request), deadline))
        return {EndpointStatus::NotDelivered, 0};
    int32_t answer = 0;
    switch (ReadAnswer(socket.Fd(), deadline, &answer)) {
    case Reading::Answer:
        return {EndpointStatus::Answered, answer};
    case Reading::Closed:
        return {EndpointStatus::Refused, 0};
    case Reading::TimedOut:
        break;
    }
    return {EndpointStatus::NoAnswer, 0};
}

std::optional<int32_t> SendEndpointMessage(const std::string& path, uint32_t message,
                                           uint32_t wParam, uint32_t lParam,
                                           const std::vector<uint8_t>& payload, uint32_t dwData,
                                           int timeoutMs) {
    EndpointRequest request{message, wParam, lParam, dwData, payload};
    EndpointReply reply = ExchangeEndpointRequest(path, request, timeoutMs);
    if (reply.status != EndpointStatus::Answered)
        return std::nullopt;
    return reply.result;
}

} // namespace zeb
