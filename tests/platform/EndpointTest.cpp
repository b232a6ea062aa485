#include "platform/EndpointClient.h"
#include "platform/HandoverRecord.h"
#include "platform/MessageEndpoint.h"
#include "support/TempDir.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zeb {
namespace {

using namespace std::chrono_literals;

// An endpoint served on its own thread, as the program's event loop would.
class RunningEndpoint {
public:
    RunningEndpoint(const std::string& path, MessageEndpoint::Handler handler,
                    std::chrono::milliseconds idleLimit = MessageEndpoint::kDefaultIdleLimit)
        : endpoint_(std::move(handler)) {
        endpoint_.SetIdleLimit(idleLimit);
        listening_ = endpoint_.Listen(path, &error_);
        thread_ = std::thread([this] {
            while (!stop_)
                endpoint_.Poll(20);
        });
    }
    ~RunningEndpoint() {
        stop_ = true;
        thread_.join();
    }
    bool Listening() const { return listening_; }
    const std::string& Error() const { return error_; }

private:
    MessageEndpoint endpoint_;
    bool listening_ = false;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Requests the handler saw, in order.
struct Recorder {
    std::mutex mutex;
    std::vector<EndpointRequest> seen;

    MessageEndpoint::Handler Handler(std::function<int32_t(const EndpointRequest&)> answer) {
        return [this, answer](const EndpointRequest& request) {
            std::lock_guard lock(mutex);
            seen.push_back(request);
            return answer(request);
        };
    }
    std::vector<EndpointRequest> Seen() {
        std::lock_guard lock(mutex);
        return seen;
    }
};

int ConnectRaw(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void WriteRaw(int fd, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
}

// Reads exactly n bytes; nothing when the connection ends first or 5 s pass.
std::optional<std::vector<uint8_t>> ReadRaw(int fd, size_t n) {
    std::vector<uint8_t> bytes(n);
    size_t done = 0;
    while (done < n) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 5000) != 1)
            return std::nullopt;
        ssize_t got = ::recv(fd, bytes.data() + done, n - done, 0);
        if (got <= 0)
            return std::nullopt;
        done += static_cast<size_t>(got);
    }
    return bytes;
}

// True when the server closes the connection within 5 s without sending anything.
bool ClosedByServer(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, 5000) != 1)
        return false;
    uint8_t byte;
    return ::recv(fd, &byte, 1, 0) == 0;
}

// Sends requests without reading answers until the server drops the
// connection (true) or 16 MiB went out without that happening (false).
bool DroppedWhileFlooding(int fd) {
    std::vector<uint8_t> chunk;
    for (int i = 0; i < 1000; ++i)
        for (uint8_t b : {0, 4, 0, 0, 0, 0, 0, 0, 104, 0, 0, 0})
            chunk.push_back(b);
    size_t sent = 0;
    while (sent < 16u << 20) {
        pollfd pfd{fd, POLLOUT, 0};
        if (::poll(&pfd, 1, 5000) != 1)
            return false;
        ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EPIPE || errno == ECONNRESET))
            return true;
        if (n > 0)
            sent += static_cast<size_t>(n);
    }
    return false;
}

int32_t Le32(const std::vector<uint8_t>& bytes, size_t pos) {
    return static_cast<int32_t>(bytes[pos] | bytes[pos + 1] << 8 | bytes[pos + 2] << 16 |
                                static_cast<uint32_t>(bytes[pos + 3]) << 24);
}

std::vector<uint8_t> Le32Bytes(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> out;
    for (uint32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<uint8_t>(v >> shift));
    return out;
}

class EndpointTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.File("ZEBAppClass");
    Recorder recorder;
};

TEST_F(EndpointTest, AnswersSeveralRequestsOnOneConnectionInOrder) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest& r) {
        if (r.message == kWmCopyData)
            return static_cast<int32_t>(r.payload.size() * 100 + r.dwData);
        return static_cast<int32_t>(r.wParam - r.lParam);
    }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    int fd = ConnectRaw(path);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> batch = Le32Bytes({kWmCommand, 40045, 45});
    auto copy = EncodeEndpointRequest({kWmCopyData, 0, 0, 7, {1, 2, 3}});
    batch.insert(batch.end(), copy.begin(), copy.end());
    auto query = Le32Bytes({kWmUser, 0, 124});
    batch.insert(batch.end(), query.begin(), query.end());
    WriteRaw(fd, batch);
    auto answers = ReadRaw(fd, 12);
    ASSERT_TRUE(answers);
    EXPECT_EQ(Le32(*answers, 0), 40000);
    EXPECT_EQ(Le32(*answers, 4), 307);
    EXPECT_EQ(Le32(*answers, 8), -124);

    // The same connection keeps serving.
    WriteRaw(fd, Le32Bytes({kWmCommand, 5, 1}));
    auto more = ReadRaw(fd, 4);
    ASSERT_TRUE(more);
    EXPECT_EQ(Le32(*more, 0), 4);
    ::close(fd);

    auto seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, kWmCommand);
    EXPECT_EQ(seen[0].wParam, 40045u);
    EXPECT_EQ(seen[1].message, kWmCopyData);
    EXPECT_EQ(seen[1].payload, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(seen[2].lParam, 124u);
}

TEST_F(EndpointTest, HandoverRecordSplitAcrossWritesArrivesWhole) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest& r) {
        return DecodeHandoverRecord(r.payload) ? 1 : 0;
    }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    std::string file = "/home/u/Musik/Kunstner – Sang.mp3";
    auto record = *EncodeHandoverRecord(HandoverMode::Add, file);
    auto bytes = EncodeEndpointRequest({kWmCopyData, 0, 0, 0, record});

    int fd = ConnectRaw(path);
    ASSERT_GE(fd, 0);
    // Pieces that cut the header, the size field and the payload.
    for (auto [from, to] : {std::pair<size_t, size_t>{0, 1},
                            {1, 14},
                            {14, 18},
                            {18, 100},
                            {100, 200},
                            {200, bytes.size()}}) {
        WriteRaw(fd, std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + to));
        std::this_thread::sleep_for(30ms);
    }
    auto answer = ReadRaw(fd, 4);
    ASSERT_TRUE(answer);
    EXPECT_EQ(Le32(*answer, 0), 1);
    ::close(fd);

    auto seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].payload, record);
    auto decoded = DecodeHandoverRecord(seen[0].payload);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->path, file);
}

TEST_F(EndpointTest, PayloadOfAnotherSizeReachesTheHandlerAsItIs) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest& r) {
        return r.payload.size() == kHandoverRecordSize ? 1 : 0;
    }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    std::vector<uint8_t> odd(100);
    for (size_t i = 0; i < odd.size(); ++i)
        odd[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(SendEndpointMessage(path, kWmCopyData, 0, 0, odd), 0);
    std::vector<uint8_t> largest(kMaxEndpointPayload, 0xAB);
    EXPECT_EQ(SendEndpointMessage(path, kWmCopyData, 0, 0, largest, 9, 5000), 0);
    EXPECT_EQ(SendEndpointMessage(path, kWmCopyData, 0, 0, {}), 0);

    auto seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].payload, odd);
    EXPECT_EQ(seen[1].payload, largest);
    EXPECT_EQ(seen[1].dwData, 9u);
    EXPECT_TRUE(seen[2].payload.empty());
}

TEST_F(EndpointTest, BadClientsLeaveTheServerServingOthers) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest&) { return 5; }));
    ASSERT_TRUE(server.Listening()) << server.Error();

    int half = ConnectRaw(path); // gone in the middle of a request
    ASSERT_GE(half, 0);
    WriteRaw(half, {1, 2, 3, 4, 5, 6, 7});
    ::close(half);

    int partCopy = ConnectRaw(path); // gone in the middle of a payload
    ASSERT_GE(partCopy, 0);
    auto copy = EncodeEndpointRequest({kWmCopyData, 0, 0, 0, std::vector<uint8_t>(1000, 1)});
    WriteRaw(partCopy, std::vector<uint8_t>(copy.begin(), copy.begin() + 300));
    ::close(partCopy);

    int huge = ConnectRaw(path); // announces more than the largest payload
    ASSERT_GE(huge, 0);
    WriteRaw(huge, Le32Bytes({kWmCopyData, 0, 0, 0, kMaxEndpointPayload + 1}));
    EXPECT_TRUE(ClosedByServer(huge));
    ::close(huge);

    int silent = ConnectRaw(path); // connects and sends nothing
    ASSERT_GE(silent, 0);

    int deaf = ConnectRaw(path); // floods requests and never reads the answers
    ASSERT_GE(deaf, 0);
    EXPECT_TRUE(DroppedWhileFlooding(deaf));
    ::close(deaf);

    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 104), 5);
    ::close(silent);
    EXPECT_EQ(SendEndpointMessage(path, kWmCommand, 1, 2), 5);
    for (const auto& request : recorder.Seen())
        EXPECT_NE(request.message, kWmCopyData); // no incomplete payload was handed on
}

TEST_F(EndpointTest, IdleConnectionsNeitherLockOthersOutNorStay) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest&) { return 1; }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    // More idle connections than the endpoint keeps at once.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(ConnectRaw(path));
        ASSERT_GE(idle.back(), 0);
    }
    auto record = *EncodeHandoverRecord(HandoverMode::Add, "/a.mp3");
    EXPECT_TRUE(SendHandover(path, record, 50, 100).delivered);
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 104), 1);
    for (int fd : idle)
        ::close(fd);

    // Past the idle limit the endpoint closes a silent connection itself.
    RunningEndpoint quick(
        dir.File("quick"), [](const EndpointRequest&) { return 1; }, 200ms);
    ASSERT_TRUE(quick.Listening()) << quick.Error();
    int silent = ConnectRaw(dir.File("quick"));
    ASSERT_GE(silent, 0);
    int answered = ConnectRaw(dir.File("quick"));
    ASSERT_GE(answered, 0);
    WriteRaw(answered, Le32Bytes({kWmUser, 0, 104}));
    EXPECT_TRUE(ReadRaw(answered, 4));
    EXPECT_TRUE(ClosedByServer(silent));
    EXPECT_TRUE(ClosedByServer(answered));
    ::close(silent);
    ::close(answered);
}

TEST_F(EndpointTest, HandoverRetriesAfterTheConnectionWasClosedUnanswered) {
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    auto record = *EncodeHandoverRecord(HandoverMode::Add, "/a.mp3");
    const size_t requestSize = EncodeEndpointRequest({kWmCopyData, 0, 0, 0, record}).size();
    // Takes each request whole; closes the first two connections without an
    // answer, as a busy endpoint does, and answers the third.
    std::thread server([&] {
        for (int connection = 1; connection <= 3; ++connection) {
            int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            bool whole = ReadRaw(fd, requestSize).has_value();
            if (whole && connection == 3)
                WriteRaw(fd, Le32Bytes({1}));
            ::close(fd);
        }
    });
    HandoverResult result = SendHandover(path, record, 10, 10);
    ::shutdown(listener, SHUT_RDWR); // ends an accept still waiting
    server.join();
    ::close(listener);
    EXPECT_TRUE(result.delivered);
    EXPECT_EQ(result.attempts, 3);
}

TEST_F(EndpointTest, StaleSocketIsReplacedLiveOneIsNotStolen) {
    { // a socket file left by a process that died without cleaning up
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    RunningEndpoint first(path, [](const EndpointRequest&) { return 1; });
    ASSERT_TRUE(first.Listening()) << first.Error();
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 0), 1);

    MessageEndpoint second([](const EndpointRequest&) { return 2; });
    std::string error;
    EXPECT_FALSE(second.Listen(path, &error));
    EXPECT_FALSE(error.empty());
    second.Close(); // must not remove the first one's socket
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 0), 1);

    std::string file = dir.File("plain");
    test::WriteFile(file, "keep");
    EXPECT_FALSE(second.Listen(file, &error));
    EXPECT_EQ(test::ReadFile(file), "keep");
}

TEST_F(EndpointTest, CloseRemovesTheSocketAndClientsThenFindNothing) {
    MessageEndpoint endpoint([](const EndpointRequest&) { return 1; });
    ASSERT_TRUE(endpoint.Listen(path));
    endpoint.Close();
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 0), std::nullopt);
    EXPECT_EQ(ExchangeEndpointRequest(path, {kWmUser, 0, 0, 0, {}}).status,
              EndpointStatus::NotDelivered);
}

TEST_F(EndpointTest, HandlerMayDestroyItsEndpoint) {
    std::unique_ptr<MessageEndpoint> endpoint;
    endpoint = std::make_unique<MessageEndpoint>([&](const EndpointRequest&) {
        endpoint.reset(); // as an exit command that tears the endpoint down
        return 0;
    });
    ASSERT_TRUE(endpoint->Listen(path));
    int fd = ConnectRaw(path);
    ASSERT_GE(fd, 0);
    auto twice = Le32Bytes({kWmCommand, 40001, 0, kWmCommand, 40001, 0});
    WriteRaw(fd, twice);
    for (int i = 0; i < 250 && endpoint; ++i)
        endpoint->Poll(20);
    EXPECT_FALSE(endpoint);
    EXPECT_TRUE(ClosedByServer(fd));
    ::close(fd);
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
}

TEST_F(EndpointTest, ClientGivesUpOnAServerThatNeverAnswers) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 4), 0); // accepts connections, never reads or answers

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 104, {}, 0, 200), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(ExchangeEndpointRequest(path, {kWmUser, 0, 104, 0, {}}, 200).status,
              EndpointStatus::NoAnswer);
    ::close(fd);
}

TEST_F(EndpointTest, OtherUsersCannotBeServed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    std::atomic<int> calls{0};
    RunningEndpoint server(path, [&](const EndpointRequest&) { return ++calls, 1; });
    ASSERT_TRUE(server.Listening()) << server.Error();
    // Open the way on purpose so only the credential check stands between them.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        auto answer = SendEndpointMessage(path, kWmUser, 0, 104, {}, 0, 3000);
        ::_exit(answer ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(SendEndpointMessage(path, kWmUser, 0, 104), 1);
}

TEST_F(EndpointTest, HandoverRetriesWhileAnsweredZeroThenStops) {
    std::atomic<int> calls{0};
    RunningEndpoint server(path, recorder.Handler([&](const EndpointRequest&) {
        return ++calls > 3 ? 1 : 0; // not initialised for the first three tries
    }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    auto record = *EncodeHandoverRecord(HandoverMode::OpenAndPlay, "/a.mp3");
    HandoverResult result = SendHandover(path, record, 10, 10);
    EXPECT_TRUE(result.delivered);
    EXPECT_EQ(result.attempts, 4);
    EXPECT_EQ(calls.load(), 4);
    for (const auto& request : recorder.Seen()) {
        EXPECT_EQ(request.message, kWmCopyData);
        EXPECT_EQ(request.dwData, 0u);
        EXPECT_EQ(request.payload, record);
    }
}

TEST_F(EndpointTest, HandoverGivesUpAfterTheRetryLimit) {
    std::atomic<int> calls{0};
    RunningEndpoint server(path, [&](const EndpointRequest&) { return ++calls, 0; });
    ASSERT_TRUE(server.Listening()) << server.Error();
    auto record = *EncodeHandoverRecord(HandoverMode::Add, "/a.mp3");
    HandoverResult result = SendHandover(path, record, 5, 5);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.attempts, 5);
    EXPECT_EQ(calls.load(), 5);

    HandoverResult nobody = SendHandover(dir.File("absent"), record, 3, 5);
    EXPECT_FALSE(nobody.delivered);
    EXPECT_EQ(nobody.attempts, 3);
}

TEST_F(EndpointTest, HandoverWaitsForAnEndpointThatIsStillStarting) {
    auto record = *EncodeHandoverRecord(HandoverMode::Add, "/late.mp3");
    std::optional<HandoverResult> result;
    std::thread sender([&] { result = SendHandover(path, record, 100, 20); });
    std::this_thread::sleep_for(150ms);
    bool listening = false;
    {
        RunningEndpoint server(path, recorder.Handler([](const EndpointRequest&) { return 1; }));
        listening = server.Listening();
        sender.join();
    }
    ASSERT_TRUE(listening);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->delivered);
    EXPECT_GT(result->attempts, 1);
    EXPECT_EQ(recorder.Seen().size(), 1u);
}

TEST_F(EndpointTest, ExitCommandIsSentOnceAndAnAnswerOfZeroCounts) {
    RunningEndpoint server(path, recorder.Handler([](const EndpointRequest&) { return 0; }));
    ASSERT_TRUE(server.Listening()) << server.Error();
    HandoverResult result = SendExitCommand(path, 5, 5);
    EXPECT_TRUE(result.delivered);
    EXPECT_EQ(result.attempts, 1);
    auto seen = recorder.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, kWmCommand);
    EXPECT_EQ(seen[0].wParam, kExitCommand);

    EXPECT_FALSE(SendExitCommand(dir.File("absent"), 2, 5).delivered);
}

} // namespace
} // namespace zeb
