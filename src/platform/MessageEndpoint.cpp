#include "platform/MessageEndpoint.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zeb {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kCopyDataHeaderSize = 20;
constexpr size_t kReadChunk = 16 * 1024;
// A client that stops reading its answers is dropped past this much backlog.
constexpr size_t kMaxPendingOutput = 64 * 1024;
constexpr int kMaxEventsPerCall = 16;

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t GetLe32(const std::vector<uint8_t>& in, size_t pos) {
    return static_cast<uint32_t>(in[pos]) | static_cast<uint32_t>(in[pos + 1]) << 8 |
           static_cast<uint32_t>(in[pos + 2]) << 16 | static_cast<uint32_t>(in[pos + 3]) << 24;
}

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

// True when a process still accepts connections on the socket file.
bool SomeoneListens(const sockaddr_un& addr) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    // A full backlog (EAGAIN) still means a live listener.
    bool live = rc == 0 || errno == EAGAIN;
    ::close(fd);
    return live;
}

bool Fail(std::string* error, const std::string& why) {
    if (error)
        *error = why;
    return false;
}

bool IsPeerOurUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == ::geteuid();
}

} // namespace

std::vector<uint8_t> EncodeEndpointRequest(const EndpointRequest& request) {
    std::vector<uint8_t> out;
    out.reserve(kCopyDataHeaderSize + request.payload.size());
    PutLe32(out, request.message);
    PutLe32(out, request.wParam);
    PutLe32(out, request.lParam);
    if (request.message == kWmCopyData) {
        PutLe32(out, request.dwData);
        PutLe32(out, static_cast<uint32_t>(request.payload.size()));
        out.insert(out.end(), request.payload.begin(), request.payload.end());
    }
    return out;
}

MessageEndpoint::MessageEndpoint(Handler handler)
    : handler_(std::move(handler)), pollFd_(::epoll_create1(EPOLL_CLOEXEC)),
      timerFd_(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
      alive_(std::make_shared<bool>(true)) {
    if (pollFd_ >= 0 && (timerFd_ < 0 || !Watch(timerFd_, false, true))) {
        ::close(pollFd_); // without the timer idle clients could pile up
        pollFd_ = -1;
    }
}

MessageEndpoint::~MessageEndpoint() {
    Close();
    *alive_ = false;
    if (pollFd_ >= 0)
        ::close(pollFd_);
    if (timerFd_ >= 0)
        ::close(timerFd_);
}

bool MessageEndpoint::Listen(const std::string& path, std::string* error) {
    Close();
    if (pollFd_ < 0)
        return Fail(error, "cannot create the event queue");
    sockaddr_un addr{};
    if (!MakeAddress(path, addr))
        return Fail(error, path + ": path too long for a socket");

    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode))
            return Fail(error, path + ": exists and is not a socket");
        if (SomeoneListens(addr))
            return Fail(error, path + ": in use by a running program");
        ::unlink(path.c_str()); // left by a process that is gone
    }

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Fail(error, std::string("socket: ") + std::strerror(errno));
    // Nobody can connect between bind and listen, so narrowing the mode in
    // between leaves no window in which others could reach the socket.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        std::string why = path + ": " + std::strerror(errno);
        ::close(fd);
        return Fail(error, why);
    }
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 16) != 0 ||
        ::stat(path.c_str(), &st) != 0) {
        std::string why = path + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return Fail(error, why);
    }
    listenFd_ = fd;
    path_ = path;
    socketInode_ = st.st_ino;
    socketDevice_ = st.st_dev;
    if (!Watch(listenFd_, false, true)) {
        Close();
        return Fail(error, "cannot watch the socket");
    }
    return true;
}

void MessageEndpoint::Close() {
    while (!clients_.empty())
        DropClient(clients_.begin()->first);
    if (listenFd_ >= 0) {
        ::epoll_ctl(pollFd_, EPOLL_CTL_DEL, listenFd_, nullptr);
        ::close(listenFd_);
        listenFd_ = -1;
        // Remove the file only while it is still the one we made: a later
        // endpoint may have replaced it.
        struct stat st {};
        if (::lstat(path_.c_str(), &st) == 0 && st.st_ino == socketInode_ &&
            st.st_dev == socketDevice_)
            ::unlink(path_.c_str());
    }
    path_.clear();
    // Stops a HandleEvents that is running the handler that called us.
    *alive_ = false;
    alive_ = std::make_shared<bool>(true);
    serving_ = false;
}

void MessageEndpoint::Poll(int timeoutMs) {
    if (pollFd_ < 0)
        return;
    pollfd pfd{pollFd_, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) > 0)
        HandleEvents();
}

void MessageEndpoint::HandleEvents() {
    if (serving_ || pollFd_ < 0)
        return;
    std::shared_ptr<bool> alive = alive_;
    serving_ = true;
    epoll_event events[kMaxEventsPerCall];
    int count = ::epoll_wait(pollFd_, events, kMaxEventsPerCall, 0);
    for (int i = 0; i < count && *alive; ++i) {
        int fd = events[i].data.fd;
        if (fd == listenFd_)
            AcceptPending();
        else if (fd == timerFd_)
            DropIdleClients();
        else
            ServeClient(fd, events[i].events, alive);
    }
    if (*alive) {
        ArmIdleTimer();
        serving_ = false;
    }
}

void MessageEndpoint::AcceptPending() {
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN: no more waiting; other errors: try on the next event
        if (!IsPeerOurUser(fd)) {
            ::close(fd);
            continue;
        }
        MakeRoomForOneMore();
        if (!Watch(fd, false, true)) {
            ::close(fd);
            continue;
        }
        clients_.emplace(fd, Client{});
    }
}

void MessageEndpoint::MakeRoomForOneMore() {
    if (clients_.size() < kMaxConnections)
        return;
    auto longestIdle = clients_.begin();
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if (it->second.lastActive < longestIdle->second.lastActive)
            longestIdle = it;
    }
    DropClient(longestIdle->first);
}

void MessageEndpoint::DropIdleClients() {
    uint64_t expirations = 0;
    ssize_t drained = ::read(timerFd_, &expirations, sizeof expirations);
    (void)drained; // the count does not matter: every connection is checked
    const Clock::time_point oldestAllowed = Clock::now() - idleLimit_;
    std::vector<int> idle;
    for (const auto& [fd, client] : clients_) {
        if (client.lastActive <= oldestAllowed)
            idle.push_back(fd);
    }
    for (int fd : idle)
        DropClient(fd);
}

void MessageEndpoint::ArmIdleTimer() {
    itimerspec when{};
    if (!clients_.empty()) {
        Clock::time_point oldest = Clock::time_point::max();
        for (const auto& entry : clients_)
            oldest = std::min(oldest, entry.second.lastActive);
        auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(oldest + idleLimit_ -
                                                                         Clock::now());
        // Zero would disarm the timer: an expired connection is due at once.
        const long long ns = std::max<long long>(wait.count(), 1);
        when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
    }
    ::timerfd_settime(timerFd_, 0, &when, nullptr);
}

void MessageEndpoint::ServeClient(int fd, uint32_t events, const std::shared_ptr<bool>& alive) {
    auto it = clients_.find(fd);
    if (it == clients_.end())
        return;
    if (events & EPOLLOUT) {
        if (!Flush(fd, it->second))
            return;
    }
    if (!(events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
        return;
    uint8_t buffer[kReadChunk];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            DropClient(fd);
        return;
    }
    if (n == 0) { // the client is done: answers already made go out if they can
        Flush(fd, it->second);
        DropClient(fd);
        return;
    }
    it->second.lastActive = Clock::now();
    it->second.in.insert(it->second.in.end(), buffer, buffer + n);
    AnswerRequests(fd, alive);
}

bool MessageEndpoint::AnswerRequests(int fd, const std::shared_ptr<bool>& alive) {
    size_t pos = 0;
    for (;;) {
        std::vector<uint8_t>& in = clients_.at(fd).in;
        size_t available = in.size() - pos;
        if (available < kHeaderSize)
            break;
        EndpointRequest request;
        request.message = GetLe32(in, pos);
        request.wParam = GetLe32(in, pos + 4);
        request.lParam = GetLe32(in, pos + 8);
        size_t size = kHeaderSize;
        if (request.message == kWmCopyData) {
            if (available < kCopyDataHeaderSize)
                break;
            request.dwData = GetLe32(in, pos + 12);
            uint32_t cbData = GetLe32(in, pos + 16);
            if (cbData > kMaxEndpointPayload) {
                DropClient(fd);
                return false;
            }
            size = kCopyDataHeaderSize + cbData;
            if (available < size)
                break;
            auto first = in.begin() + static_cast<std::ptrdiff_t>(pos + kCopyDataHeaderSize);
            request.payload.assign(first, first + cbData);
        }
        pos += size;
        int32_t result = handler_(request);
        if (!*alive)
            return false;
        PutLe32(clients_.at(fd).out, static_cast<uint32_t>(result));
    }
    Client& client = clients_.at(fd);
    client.in.erase(client.in.begin(), client.in.begin() + static_cast<std::ptrdiff_t>(pos));
    return Flush(fd, client);
}

bool MessageEndpoint::Flush(int fd, Client& client) {
    while (!client.out.empty()) {
        ssize_t n = ::send(fd, client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            client.out.erase(client.out.begin(), client.out.begin() + n);
            client.lastActive = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && client.out.size() <= kMaxPendingOutput)
            break;
        DropClient(fd);
        return false;
    }
    bool wantsWrite = !client.out.empty();
    if (wantsWrite != client.wantsWrite) {
        client.wantsWrite = wantsWrite;
        Watch(fd, wantsWrite, false);
    }
    return true;
}

void MessageEndpoint::DropClient(int fd) {
    ::epoll_ctl(pollFd_, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    clients_.erase(fd);
}

bool MessageEndpoint::Watch(int fd, bool writable, bool add) {
    epoll_event event{};
    event.events = EPOLLIN | (writable ? EPOLLOUT : 0u);
    event.data.fd = fd;
    return ::epoll_ctl(pollFd_, add ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &event) == 0;
}

} // namespace zeb
