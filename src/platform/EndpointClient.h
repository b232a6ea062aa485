#pragma once

#include "platform/MessageEndpoint.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeb {

enum class EndpointStatus {
    Answered,
    NotDelivered, // no endpoint to connect to, or the request could not be written whole
    Refused,      // the endpoint closed the connection without answering: not served
    NoAnswer,     // the request went out but no answer came in time
};

struct EndpointReply {
    EndpointStatus status = EndpointStatus::NotDelivered;
    int32_t result = 0;
};

// Connects to the endpoint at path, sends one request and reads its answer.
// Everything together takes at most about timeoutMs.
EndpointReply ExchangeEndpointRequest(const std::string& path, const EndpointRequest& request,
                                      int timeoutMs = 1000);

// The answer to one message, or nothing when it could not be had.
std::optional<int32_t> SendEndpointMessage(const std::string& path, uint32_t message,
                                           uint32_t wParam, uint32_t lParam,
                                           const std::vector<uint8_t>& payload = {},
                                           uint32_t dwData = 0, int timeoutMs = 1000);

} // namespace zeb
