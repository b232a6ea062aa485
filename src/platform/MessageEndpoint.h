#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zeb {

// Message numbers carried by the endpoints; they keep their window-message values.
constexpr uint32_t kWmCopyData = 0x004A;
constexpr uint32_t kWmCommand = 0x0111;
constexpr uint32_t kWmUser = 0x0400;

// The largest WM_COPYDATA payload accepted; a longer one drops the connection.
constexpr uint32_t kMaxEndpointPayload = 64 * 1024;

// One request: three little-endian 32-bit integers (message, wParam, lParam);
// for WM_COPYDATA followed by dwData, cbData and cbData payload bytes.
struct EndpointRequest {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    uint32_t dwData = 0;          // WM_COPYDATA only
    std::vector<uint8_t> payload; // WM_COPYDATA only
};

// The bytes a client writes for the request.
std::vector<uint8_t> EncodeEndpointRequest(const EndpointRequest& request);

// A named message endpoint: a Unix-domain stream socket in the runtime folder
// that answers each request, in order, with the handler's 32-bit result.
//
// Single-threaded and event-loop friendly: Fd() becomes readable whenever a
// connection or request is waiting; HandleEvents() then serves what is ready
// without blocking. Poll() waits a bounded time and serves, for loops of our
// own and tests. A handler must not start a nested event loop that drives
// this endpoint again (such calls are ignored); it may destroy the endpoint.
//
// A connection that neither sends nor takes anything for the idle limit is
// closed, and when the table of connections is full a new one takes the
// place of the one idle longest, so idle clients can never lock others out.
class MessageEndpoint {
public:
    using Handler = std::function<int32_t(const EndpointRequest&)>;
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kDefaultIdleLimit{10000};
    static constexpr size_t kMaxConnections = 32;

    explicit MessageEndpoint(Handler handler);
    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint&) = delete;
    MessageEndpoint& operator=(const MessageEndpoint&) = delete;

    // Creates the socket file (mode 0600) at path. A socket left by a dead
    // process is replaced; one that still answers, or any other kind of
    // file, is left alone and Listen fails with a reason in *error.
    bool Listen(const std::string& path, std::string* error = nullptr);
    // Closes every connection and removes the socket file if it is still ours.
    void Close();

    bool Listening() const { return listenFd_ >= 0; }
    const std::string& Path() const { return path_; }
    int Fd() const { return pollFd_; }
    size_t ConnectionCount() const { return clients_.size(); }
    void SetIdleLimit(std::chrono::milliseconds limit) { idleLimit_ = limit; }

    void HandleEvents();
    // Waits up to timeoutMs for something to serve, then serves it.
    void Poll(int timeoutMs);

private:
    struct Client {
        std::vector<uint8_t> in;
        std::vector<uint8_t> out;
        bool wantsWrite = false;
        Clock::time_point lastActive = Clock::now();
    };

    void AcceptPending();
    void MakeRoomForOneMore();
    void DropIdleClients();
    // Sets the timer to the moment the longest idle connection expires.
    void ArmIdleTimer();
    void ServeClient(int fd, uint32_t events, const std::shared_ptr<bool>& alive);
    // Answers complete requests in the client's buffer; false when the
    // connection must be dropped or the endpoint went away in a handler.
    bool AnswerRequests(int fd, const std::shared_ptr<bool>& alive);
    bool Flush(int fd, Client& client);
    void DropClient(int fd);
    bool Watch(int fd, bool writable, bool add);

    Handler handler_;
    std::string path_;
    int pollFd_ = -1;
    int listenFd_ = -1;
    int timerFd_ = -1;
    std::chrono::milliseconds idleLimit_ = kDefaultIdleLimit;
    uint64_t socketInode_ = 0;
    uint64_t socketDevice_ = 0;
    std::map<int, Client> clients_;
    std::shared_ptr<bool> alive_;
    bool serving_ = false;
};

} // namespace zeb
