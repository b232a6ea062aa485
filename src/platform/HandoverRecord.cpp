#include "platform/HandoverRecord.h"

#include "platform/EndpointClient.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace zeb {

namespace {

bool IsKnownMode(uint32_t mode) {
    return mode <= static_cast<uint32_t>(HandoverMode::PlayAudioCd);
}

enum class Attempt { Done, TryAgain, GiveUp };

HandoverResult Retry(int attempts, int delayMs, const std::function<Attempt()>& attempt) {
    HandoverResult result;
    while (result.attempts < attempts) {
        ++result.attempts;
        Attempt outcome = attempt();
        if (outcome == Attempt::Done) {
            result.delivered = true;
            break;
        }
        if (outcome == Attempt::GiveUp || result.attempts == attempts)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    }
    return result;
}

} // namespace

std::optional<std::vector<uint8_t>> EncodeHandoverRecord(HandoverMode mode, std::string_view path) {
    if (path.size() >= kMaxHandoverPathSize || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::vector<uint8_t> record(std::max(kHandoverRecordSize, 4 + path.size() + 1), 0);
    uint32_t value = static_cast<uint32_t>(mode);
    for (int i = 0; i < 4; ++i)
        record[i] = static_cast<uint8_t>(value >> (8 * i));
    std::copy(path.begin(), path.end(), record.begin() + 4);
    return record;
}

bool IsHandoverRecordSize(size_t size) {
    return size >= kHandoverRecordSize && size <= kMaxHandoverRecordSize;
}

std::optional<HandoverRecord> DecodeHandoverRecord(std::span<const uint8_t> bytes) {
    if (!IsHandoverRecordSize(bytes.size()))
        return std::nullopt;
    uint32_t mode = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                    static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    if (!IsKnownMode(mode))
        return std::nullopt;
    auto pathBytes = bytes.subspan(4);
    auto end = std::find(pathBytes.begin(), pathBytes.end(), uint8_t{0});
    return HandoverRecord{static_cast<HandoverMode>(mode), std::string(pathBytes.begin(), end)};
}

HandoverResult SendHandover(const std::string& endpointPath, const std::vector<uint8_t>& record,
                            int attempts, int delayMs, int answerTimeoutMs) {
    EndpointRequest request{kWmCopyData, 0, 0, 0, record};
    return Retry(attempts, delayMs, [&] {
        EndpointReply reply = ExchangeEndpointRequest(endpointPath, request, answerTimeoutMs);
        if (reply.status == EndpointStatus::NoAnswer)
            return Attempt::GiveUp;
        if (reply.status == EndpointStatus::Answered && reply.result != 0)
            return Attempt::Done;
        return Attempt::TryAgain;
    });
}

HandoverResult SendExitCommand(const std::string& endpointPath, int attempts, int delayMs,
                               int answerTimeoutMs) {
    EndpointRequest request{kWmCommand, kExitCommand, 0, 0, {}};
    return Retry(attempts, delayMs, [&] {
        EndpointReply reply = ExchangeEndpointRequest(endpointPath, request, answerTimeoutMs);
        switch (reply.status) {
        case EndpointStatus::Answered:
            return Attempt::Done;
        case EndpointStatus::NoAnswer:
            return Attempt::GiveUp;
        case EndpointStatus::NotDelivered:
        case EndpointStatus::Refused:
            break;
        }
        return Attempt::TryAgain;
    });
}

} // namespace zeb
