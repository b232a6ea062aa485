#include "cd/DiscToc.h"

#include "cd/MciDevice.h"

#include <charconv>
#include <string>
#include <string_view>

namespace zeb {

namespace {

constexpr int kFramesPerSecond = 75;
constexpr int kFramesPerMinute = 60 * kFramesPerSecond;

int ParseInt(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// "mm:ss:ff": the two digits at 0, 3 and 6; missing fields read as 0.
Msf ParseMsf(const std::string& text) {
    auto field = [&](size_t at) {
        return at < text.size() ? ParseInt(std::string_view(text).substr(at, 2)) : 0;
    };
    return Msf{field(0), field(3), field(6)};
}

int ToFrames(const Msf& msf) {
    return msf.minutes * kFramesPerMinute + msf.seconds * kFramesPerSecond + msf.frames;
}

std::string Status(MciDevice& mci, const std::string& what) {
    MciReply reply = mci.Send("status zeb " + what);
    return reply.error == 0 ? reply.text : std::string();
}

Msf TrackMsf(MciDevice& mci, const char* what, int track) {
    return ParseMsf(Status(mci, std::string(what) + " track " + std::to_string(track)));
}

// One frame past the last track: its start plus its length, summed field by
// field before carrying, plus one frame.
Msf LeadOut(const Msf& lastStart, const Msf& lastLength) {
    int frames =
        ((lastLength.minutes + lastStart.minutes) * 60 + lastLength.seconds + lastStart.seconds) *
            kFramesPerSecond +
        lastLength.frames + lastStart.frames + 1;
    return Msf{frames / kFramesPerMinute, (frames / kFramesPerSecond) % 60,
               frames % kFramesPerSecond};
}

} // namespace

DiscToc ReadDiscToc(MciDevice& mci) {
    DiscToc toc;
    int count = ParseInt(Status(mci, "number of tracks"));
    if (count <= 0)
        return toc;
    mci.Send("set zeb time format msf");
    // Servers match a query by the tracks' absolute frame addresses (the
    // lead-in of two seconds included) and the lead-out's time, as every
    // client sends them; offsets counted from zero would miss discs.
    for (int track = 1; track <= count; ++track) {
        toc.starts.push_back(TrackMsf(mci, "position", track));
        toc.offsets.push_back(ToFrames(toc.starts.back()));
    }
    toc.leadOut = LeadOut(toc.starts.back(), TrackMsf(mci, "length", count));
    toc.totalSeconds = ToFrames(toc.leadOut) / kFramesPerSecond;
    mci.Send("set zeb time format tmsf");
    return toc;
}

} // namespace zeb
