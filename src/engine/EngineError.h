#pragma once

#include <stdexcept>
#include <string>

namespace zeb {

// A failure inside the audio engine, raised where it happens and caught at
// the engine's boundary (open returns false, the decoding thread drops the
// frame or ends).
class EngineError : public std::runtime_error {
public:
    enum Code {
        SourceOpen = 1,  // the file or address cannot be opened
        SourceRead = 2,  // a read of the source failed
        SourceSeek = 3,  // the source cannot be positioned at its start
        NoHeader = 4,    // no frame header found
        DecoderInit = 5, // the decoder cannot be prepared
        OutputOpen = 6,  // the sound device or WAV file cannot be opened
        OutputWrite = 7, // a block cannot be written
        NoDevice = 8,    // no sound device is present
        RingAlloc = 9,   // the frame ring cannot be allocated
    };

    EngineError(Code code, const std::string& what) : std::runtime_error(what), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

} // namespace zeb
