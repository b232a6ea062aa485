// The decoder on its own: frames of a real file handed over in stream order.
#include "engine/Decoder.h"

#include "FrameReaderTestSupport.h"
#include "engine/PcmTools.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using namespace zeb::test;

// Decodes every frame of `path` and gives all the samples written.
std::vector<uint8_t> DecodeAll(const std::string& path, int downsampling, int outputRate) {
    ReaderOn on(path);
    CMpegDecoder decoder;
    decoder.Start(downsampling, false, 16384);
    decoder.SetOutputRate(outputRate);
    std::vector<uint8_t> pcm;
    const CMpegDecoder::BlockSink sink = [&](const uint8_t* data, size_t length) {
        pcm.insert(pcm.end(), data, data + length);
    };
    std::vector<uint8_t> body(kMaxFrameBody);
    while (on.reader.ReadHeader(on.reader.Current()) > 0 &&
           on.reader.ReadBody(on.reader.Current(), body.data()))
        decoder.DecodeFrame(on.reader.Current(), body.data(), sink);
    decoder.FlushBlock(sink);
    return pcm;
}

// A sound device that refuses a quarter of 22050 Hz (5512 Hz) is opened at
// the nearest rate it takes, 8000 Hz; the decoder then converts to that rate.
TEST(Decoder, ConvertsToTheRateTheOutputTookInsteadOfTheReducedOne) {
    const std::string path = FixturePath("mpeg2-22050.mp3");
    const std::vector<uint8_t> pcm = DecodeAll(path, 2, 8000);
    const std::vector<uint8_t> ref = ReferenceDecode(path, false, 8000);
    ASSERT_GT(ref.size(), 8000u * 4);
    EXPECT_TRUE(pcm == ref);
}

} // namespace
} // namespace zeb
