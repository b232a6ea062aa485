#include "cd/MciInterpreter.h"

#include "cd/CdTime.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace zeb {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Splits a command string at blanks; a double-quoted part is one word without its quotes.
std::vector<std::string> SplitWords(const std::string& command) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < command.size()) {
        if (std::isspace(static_cast<unsigned char>(command[i]))) {
            ++i;
            continue;
        }
        std::string word;
        if (command[i] == '"') {
            const size_t close = command.find('"', i + 1);
            word = command.substr(i + 1, close == std::string::npos ? close : close - i - 1);
            i = close == std::string::npos ? command.size() : close + 1;
        } else {
            while (i < command.size() && !std::isspace(static_cast<unsigned char>(command[i])))
                word += command[i++];
        }
        words.push_back(word);
    }
    return words;
}

bool ParseNumber(const std::string& text, long& value) {
    const auto fields = ParseColonFields(text, 1);
    if (!fields)
        return false;
    value = fields->front();
    return true;
}

MciReply Reply(std::string text) {
    return {0, std::move(text)};
}
MciReply Error(uint32_t code) {
    return {code, {}};
}

bool Is(const std::vector<std::string>& args, std::initializer_list<const char*> words) {
    if (args.size() != words.size())
        return false;
    size_t i = 0;
    for (const char* word : words)
        if (args[i++] != word)
            return false;
    return true;
}

// The track number of a "... track <n>" item: `value` on success, else the error code.
uint32_t TrackArgument(const std::vector<std::string>& args, const CdToc& toc, int& track) {
    if (args.size() < 3)
        return kMciErrMissingParameter;
    if (args.size() > 3)
        return kMciErrUnrecognizedKeyword;
    long number = 0;
    if (!ParseNumber(args[2], number))
        return kMciErrBadInteger;
    if (!toc.Find(static_cast<int>(number)))
        return kMciErrOutOfRange;
    track = static_cast<int>(number);
    return 0;
}

// The end of the run of audio tracks that `lsn` lies in: the next data track or the lead-out.
long AudioRunEnd(const CdToc& toc, long lsn) {
    for (const CdTrack& track : toc.tracks)
        if (!track.audio && track.startLsn > lsn)
            return track.startLsn;
    return toc.leadoutLsn;
}

} // namespace

MciInterpreter::~MciInterpreter() {
    std::lock_guard lock(mutex_);
    for (auto& [alias, device] : devices_)
        device->playback.Stop();
}

void MciInterpreter::SetNotifyCallback(NotifyCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

void MciInterpreter::SetOutput(const WaveOutConfig& config) {
    std::lock_guard lock(mutex_);
    output_ = config;
}

void MciInterpreter::Notify(int code) {
    NotifyCallback callback;
    {
        std::lock_guard lock(callbackMutex_);
        callback = callback_;
    }
    if (callback)
        callback(code);
}

MciInterpreter::Device* MciInterpreter::Find(const std::string& alias) {
    const auto found = devices_.find(Lower(alias));
    return found == devices_.end() ? nullptr : found->second.get();
}

bool MciInterpreter::IsAudioTrack(const std::string& alias, int track) {
    std::lock_guard lock(mutex_);
    Device* device = Find(alias);
    if (!device)
        return false;
    const CdTrack* found = device->drive.Toc().Find(track);
    return found && found->audio;
}

MciReply MciInterpreter::Send(const std::string& command) {
    std::lock_guard lock(mutex_);
    const Words original = SplitWords(command);
    if (original.empty())
        return Error(kMciErrUnrecognizedCommand);
    Words words;
    for (const std::string& word : original)
        words.push_back(Lower(word));
    const std::string verb = words[0];
    if (words.size() < 2)
        return Error(verb == "open" ? kMciErrMissingParameter : kMciErrInvalidDeviceName);

    // "notify" and "wait" may close any command.
    bool notify = false;
    bool wait = false;
    while (words.size() > 2 && (words.back() == "notify" || words.back() == "wait")) {
        (words.back() == "notify" ? notify : wait) = true;
        words.pop_back();
    }
    if (verb == "open") {
        Words openWords(original.begin(), original.begin() + static_cast<long>(words.size()));
        return Open(openWords, notify);
    }
    if (verb == "close" && words[1] == "all") {
        std::vector<std::string> aliases;
        for (const auto& [alias, device] : devices_)
            aliases.push_back(alias);
        for (const std::string& alias : aliases)
            Close(alias);
        if (notify)
            Notify(kMciNotifySuccessful);
        return Reply({});
    }
    Device* device = Find(words[1]);
    if (!device)
        return Error(kMciErrInvalidDeviceName);
    const Words args(words.begin() + 2, words.end());

    MciReply reply;
    if (verb == "play") {
        return wait ? Error(kMciErrUnrecognizedKeyword) : Play(*device, args, notify);
    } else if (verb == "resume" && args.empty()) {
        return Resume(*device, notify);
    } else if (verb == "close" && args.empty()) {
        reply = Close(words[1]);
    } else if (verb == "set") {
        reply = Set(*device, args);
    } else if (verb == "status") {
        reply = Status(*device, args);
    } else if (verb == "info") {
        reply = Info(*device, args);
    } else if (verb == "pause" && args.empty()) {
        reply = Pause(*device);
    } else if (verb == "stop" && args.empty()) {
        reply = Stop(*device);
    } else if (verb == "seek") {
        reply = Seek(*device, args);
    } else if (verb == "close" || verb == "resume" || verb == "pause" || verb == "stop") {
        return Error(kMciErrUnrecognizedKeyword);
    } else {
        return Error(kMciErrUnrecognizedCommand);
    }
    if (reply.error == 0 && notify)
        Notify(kMciNotifySuccessful);
    return reply;
}

MciReply MciInterpreter::Open(const Words& words, bool notify) {
    // The element runs up to the first keyword, so an unquoted path may hold blanks.
    std::string element;
    size_t i = 1;
    for (; i < words.size(); ++i) {
        const std::string word = Lower(words[i]);
        if (word == "type" || word == "alias" || word == "shareable")
            break;
        element += (element.empty() ? "" : " ") + words[i];
    }
    std::string alias;
    for (; i < words.size(); ++i) {
        const std::string word = Lower(words[i]);
        if (word == "shareable")
            continue;
        if ((word == "type" || word == "alias") && i + 1 >= words.size())
            return Error(kMciErrMissingParameter);
        if (word == "type" && Lower(words[i + 1]) == "cdaudio") {
            ++i;
        } else if (word == "type") {
            return Error(kMciErrInvalidDeviceName);
        } else if (word == "alias") {
            alias = words[++i];
        } else {
            return Error(kMciErrUnrecognizedKeyword);
        }
    }
    if (element.empty())
        return Error(kMciErrMissingParameter);
    std::string path = element;
    if (Lower(path) == "cdaudio") {
        const std::vector<std::string> drives = CdDrive::Devices();
        path = drives.empty() ? std::string() : drives.front();
    } else if (path.size() > 1 && path.back() == ':') {
        path.pop_back(); // "open /dev/sr0: type cdaudio": the drive as the program names it
    }
    if (alias.empty())
        alias = element;
    if (Find(alias))
        return Error(kMciErrDuplicateAlias);

    // An image is its disc: one that libcdio cannot read is no drive at all. A CD device opens
    // also when it is empty.
    if (!CdDrive::IsDrive(path))
        return Error(kMciErrInvalidDeviceName);
    auto device = std::make_unique<Device>(path, CdDrive::Classify(path));
    devices_[Lower(alias)] = std::move(device);
    if (notify)
        Notify(kMciNotifySuccessful);
    return Reply({});
}

MciReply MciInterpreter::Close(const std::string& alias) {
    const auto found = devices_.find(Lower(alias));
    if (found == devices_.end())
        return Error(kMciErrInvalidDeviceName);
    EndPlayback(*found->second, kMciNotifyAborted);
    devices_.erase(found);
    return Reply({});
}

MciReply MciInterpreter::Set(Device& device, const Words& args) {
    if (args.size() == 3 && args[0] == "time" && args[1] == "format") {
        if (args[2] == "tmsf")
            device.format = TimeFormat::Tmsf;
        else if (args[2] == "msf")
            device.format = TimeFormat::Msf;
        else if (args[2] == "milliseconds" || args[2] == "ms")
            device.format = TimeFormat::Milliseconds;
        else
            return Error(kMciErrUnrecognizedKeyword);
        return Reply({});
    }
    if (Is(args, {"door", "open"})) {
        EndPlayback(device, kMciNotifyAborted);
        device.mode = Mode::Stopped;
        device.positionLsn = -1;
        device.drive.OpenDoor();
        return Reply({});
    }
    if (Is(args, {"door", "closed"})) {
        device.drive.CloseDoor();
        return Reply({});
    }
    return Error(args.empty() ? kMciErrMissingParameter : kMciErrUnrecognizedKeyword);
}

MciReply MciInterpreter::Status(Device& device, const Words& args) {
    if (args.empty())
        return Error(kMciErrMissingParameter);
    Refresh(device);
    if (Is(args, {"time", "format"})) {
        static const char* const names[] = {"tmsf", "msf", "milliseconds"};
        return Reply(names[static_cast<int>(device.format)]);
    }
    const CdToc& toc = device.drive.Toc();
    if (Is(args, {"media", "present"}) || Is(args, {"ready"}))
        return Reply(toc.Empty() ? "false" : "true");
    if (Is(args, {"mode"})) {
        if (toc.Empty())
            return Reply(device.drive.DoorOpen() ? "open" : "not ready");
        static const char* const modes[] = {"stopped", "playing", "paused"};
        return Reply(modes[static_cast<int>(device.mode)]);
    }
    const bool trackItem = args.size() >= 2 && args[1] == "track";
    if (!Is(args, {"number", "of", "tracks"}) && !Is(args, {"position"}) && !Is(args, {"length"}) &&
        !Is(args, {"current", "track"}) && !Is(args, {"start", "position"}) &&
        !(trackItem && (args[0] == "position" || args[0] == "length" || args[0] == "type")))
        return Error(kMciErrUnrecognizedKeyword);
    if (toc.Empty())
        return Error(kMciErrHardware);

    if (Is(args, {"number", "of", "tracks"}))
        return Reply(std::to_string(toc.tracks.size()));
    if (Is(args, {"position"}))
        return Reply(FormatPosition(device, toc, PositionLsn(device)));
    if (Is(args, {"start", "position"}))
        return Reply(FormatPosition(device, toc, toc.tracks.front().startLsn));
    if (Is(args, {"current", "track"}))
        return Reply(std::to_string(toc.TrackAt(PositionLsn(device))));
    if (Is(args, {"length"}))
        return Reply(FormatLength(device, toc.leadoutLsn - toc.tracks.front().startLsn));
    int track = 0;
    if (const uint32_t error = TrackArgument(args, toc, track))
        return Error(error);
    if (args[0] == "position")
        return Reply(FormatPosition(device, toc, toc.Find(track)->startLsn));
    if (args[0] == "length")
        return Reply(FormatLength(device, toc.LengthFrames(track)));
    return Reply(toc.Find(track)->audio ? "audio" : "other");
}

MciReply MciInterpreter::Info(Device& device, const Words& args) {
    if (!Is(args, {"identity"}))
        return Error(args.empty() ? kMciErrMissingParameter : kMciErrUnrecognizedKeyword);
    const CdToc& toc = device.drive.Toc();
    if (toc.Empty())
        return Error(kMciErrHardware);
    return Reply(std::to_string(toc.Identity()));
}

MciReply MciInterpreter::Play(Device& device, const Words& args, bool notify) {
    Refresh(device);
    const CdToc& toc = device.drive.Toc();
    if (toc.Empty())
        return Error(kMciErrHardware);
    long from = PositionLsn(device);
    long to = -1;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (args[i] != "from" && args[i] != "to")
            return Error(kMciErrUnrecognizedKeyword);
        if (i + 1 >= args.size())
            return Error(kMciErrMissingParameter);
        long lsn = 0;
        if (const uint32_t error = ParsePosition(device, toc, args[i + 1], lsn))
            return Error(error);
        (args[i] == "from" ? from : to) = lsn;
    }
    const long runEnd = AudioRunEnd(toc, from);
    to = to < 0 ? runEnd : std::min(to, runEnd);
    if (from > to)
        return Error(kMciErrOutOfRange);
    if (from == to)
        return PlayNothing(device, from, notify);
    const CdTrack* first = toc.Find(toc.TrackAt(from));
    if (!first || !first->audio)
        return Error(kMciErrHardware);
    return StartPlaying(device, from, to, notify);
}

MciReply MciInterpreter::PlayNothing(Device& device, long atLsn, bool notify) {
    // An empty range (a seek to the very end of a track) is played at once, so the owner's
    // notification still moves on to the next track.
    EndPlayback(device, kMciNotifySuperseded);
    device.mode = Mode::Stopped;
    device.positionLsn = atLsn;
    if (notify)
        Notify(kMciNotifySuccessful);
    return Reply({});
}

MciReply MciInterpreter::StartPlaying(Device& device, long fromLsn, long toLsn, bool notify) {
    EndPlayback(device, kMciNotifySuperseded);
    auto pending = std::make_shared<std::atomic<bool>>(notify);
    const bool started =
        device.playback.Start(device.drive.Path(), device.drive.GetKind(), fromLsn, toLsn, output_,
                              [this, pending](bool completed) {
                                  if (pending->exchange(false))
                                      Notify(completed ? kMciNotifySuccessful : kMciNotifyFailure);
                              });
    if (!started) {
        device.mode = Mode::Stopped;
        return Error(kMciErrHardware);
    }
    device.pendingNotify = pending;
    device.mode = Mode::Playing;
    device.playToLsn = toLsn;
    return Reply({});
}

void MciInterpreter::EndPlayback(Device& device, int code) {
    if (device.mode == Mode::Playing) {
        device.playback.Stop();
        device.positionLsn = device.playback.PositionLsn();
    }
    if (device.pendingNotify && device.pendingNotify->exchange(false))
        Notify(code);
    device.pendingNotify.reset();
}

void MciInterpreter::Refresh(Device& device) {
    if (device.mode == Mode::Playing && !device.playback.Active()) {
        device.playback.Stop();
        device.positionLsn = device.playback.PositionLsn();
        device.mode = Mode::Stopped;
    }
}

long MciInterpreter::PositionLsn(Device& device) {
    if (device.mode == Mode::Playing)
        return device.playback.PositionLsn();
    const CdToc& toc = device.drive.Toc();
    if (device.positionLsn < 0 && !toc.Empty())
        return toc.tracks.front().startLsn;
    return device.positionLsn;
}

MciReply MciInterpreter::Pause(Device& device) {
    Refresh(device);
    if (device.mode != Mode::Playing)
        return Reply({});
    EndPlayback(device, kMciNotifyAborted);
    device.mode = Mode::Paused;
    return Reply({});
}

MciReply MciInterpreter::Resume(Device& device, bool notify) {
    if (device.mode != Mode::Paused)
        return Reply({});
    if (device.drive.Toc().Empty())
        return Error(kMciErrHardware);
    return StartPlaying(device, PositionLsn(device), device.playToLsn, notify);
}

MciReply MciInterpreter::Stop(Device& device) {
    EndPlayback(device, kMciNotifyAborted);
    device.mode = Mode::Stopped;
    return Reply({});
}

MciReply MciInterpreter::Seek(Device& device, const Words& args) {
    if (args.size() != 2 || args[0] != "to")
        return Error(args.size() < 2 ? kMciErrMissingParameter : kMciErrUnrecognizedKeyword);
    const CdToc& toc = device.drive.Toc();
    if (toc.Empty())
        return Error(kMciErrHardware);
    long lsn = 0;
    if (args[1] == "start")
        lsn = toc.tracks.front().startLsn;
    else if (args[1] == "end")
        lsn = toc.leadoutLsn;
    else if (const uint32_t error = ParsePosition(device, toc, args[1], lsn))
        return Error(error);
    EndPlayback(device, kMciNotifyAborted);
    device.mode = Mode::Stopped;
    device.positionLsn = lsn;
    return Reply({});
}

std::string MciInterpreter::FormatPosition(const Device& device, const CdToc& toc, long lsn) const {
    switch (device.format) {
    case TimeFormat::Tmsf: {
        const int track = toc.TrackAt(lsn);
        return FormatTmsf(track, lsn - toc.Find(track)->startLsn);
    }
    case TimeFormat::Msf:
        return FormatMsf(lsn + kCdPregapFrames);
    case TimeFormat::Milliseconds:
        break;
    }
    return std::to_string((lsn + kCdPregapFrames) * 1000 / kCdFramesPerSecond);
}

std::string MciInterpreter::FormatLength(const Device& device, long frames) const {
    if (device.format == TimeFormat::Milliseconds)
        return std::to_string(frames * 1000 / kCdFramesPerSecond);
    return FormatMsf(frames);
}

uint32_t MciInterpreter::ParsePosition(const Device& device, const CdToc& toc,
                                       const std::string& text, long& lsn) const {
    long frames = 0;
    if (device.format == TimeFormat::Milliseconds) {
        long ms = 0;
        if (!ParseNumber(text, ms))
            return kMciErrBadInteger;
        frames = ms * kCdFramesPerSecond / 1000 - kCdPregapFrames;
    } else {
        const bool tmsf = device.format == TimeFormat::Tmsf;
        const auto fields = ParseColonFields(text, tmsf ? 4 : 3);
        if (!fields)
            return kMciErrBadInteger;
        std::vector<long> f = *fields;
        long base = -kCdPregapFrames;
        if (tmsf) {
            const CdTrack* track = toc.Find(static_cast<int>(f.front()));
            if (!track)
                return kMciErrOutOfRange;
            base = track->startLsn;
            f.erase(f.begin());
        }
        f.resize(3, 0);
        if (f[1] >= 60 || f[2] >= kCdFramesPerSecond)
            return kMciErrOutOfRange;
        frames = base + (f[0] * 60 + f[1]) * kCdFramesPerSecond + f[2];
    }
    if (frames < toc.tracks.front().startLsn || frames > toc.leadoutLsn)
        return kMciErrOutOfRange;
    lsn = frames;
    return 0;
}

} // namespace zeb
