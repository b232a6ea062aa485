#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// What a second instance asks the running one to do with its command line.
enum class HandoverMode : int32_t {
    OpenAndPlay = 0, // open the path, replacing the list, and play it
    Add = 1,         // add the path to the list
    PlayAudioCd = 2, // play the audio CD (no path)
};

struct HandoverRecord {
    HandoverMode mode = HandoverMode::OpenAndPlay;
    std::string path;
};

// The record travels as the WM_COPYDATA payload (dwData 0): the mode as a
// 32-bit little-endian integer, then the path zero-terminated in 264 bytes.
// A longer path makes the record longer: the path field then holds the path
// and its terminating zero, up to the longest path the system names.
constexpr size_t kHandoverRecordSize = 268;
constexpr size_t kHandoverPathSize = 264;
constexpr size_t kMaxHandoverPathSize = 4096; // PATH_MAX, the zero included
constexpr size_t kMaxHandoverRecordSize = 4 + kMaxHandoverPathSize;
constexpr uint32_t kExitCommand = 32780;

// Nothing when the path does not fit the largest record or holds a zero
// byte: the path is refused rather than cut, because a cut path names
// another file. Paths of up to 263 bytes give the 268-byte record.
std::optional<std::vector<uint8_t>> EncodeHandoverRecord(HandoverMode mode, std::string_view path);

// True for a payload size a record may have.
bool IsHandoverRecordSize(size_t size);

// Nothing unless the bytes are exactly one record with a known mode. The
// path ends at the first zero byte, or at the end of the record without one.
std::optional<HandoverRecord> DecodeHandoverRecord(std::span<const uint8_t> bytes);

struct HandoverResult {
    bool delivered = false; // the running instance answered nonzero (or took the command)
    int attempts = 0;
};

// Delivers the record the way a second instance must: up to `attempts`
// tries, each connecting and sending WM_COPYDATA, stopping at the first
// nonzero answer and otherwise waiting delayMs before the next. An answer of
// 0 means the running instance is not initialised yet. A request that went
// out but got no answer in answerTimeoutMs is not repeated, since the
// running instance may still act on it and would then open the file twice.
HandoverResult SendHandover(const std::string& endpointPath, const std::vector<uint8_t>& record,
                            int attempts = 50, int delayMs = 100, int answerTimeoutMs = 10000);

// Asks the running instance to exit (WM_COMMAND 32780). Tries again on the
// same schedule only while its endpoint cannot be reached (it may be still
// starting); any answer counts, since a handled command answers 0.
HandoverResult SendExitCommand(const std::string& endpointPath, int attempts = 50,
                               int delayMs = 100, int answerTimeoutMs = 10000);

} // namespace zeb
