#include "shell/CdController.h"

#include "platform/RandomGenerator.h"
#include "platform/TextUtil.h"
#include "platform/Utf8.h"
#include "playlist/AnsiCodePage.h"
#include "resources/ResourceIds.h"
#include "shell/MainWndHost.h"
#include "shell/MainWndSettings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

namespace zeb {

namespace {

constexpr int kMaxGapMs = 10000; // the longest pause between tracks the settings offer
constexpr int kMaxTracks = 99;

std::string Format(const char* format, auto... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// "mm:ss" of a length reply "mm:ss:ff".
int LengthSeconds(const std::string& reply) {
    if (reply.size() < 5)
        return 0;
    return int(LeadingInteger(reply.substr(0, 2))) * 60 + int(LeadingInteger(reply.substr(3, 2)));
}

// The in-track seconds of a position reply "tt:mm:ss:ff".
int InTrackSeconds(const std::string& reply) {
    if (reply.size() < 8)
        return 0;
    return int(LeadingInteger(reply.substr(3, 2))) * 60 + int(LeadingInteger(reply.substr(6, 2)));
}

// The "mm:ss" after the track of a position reply.
std::string InTrackText(const std::string& reply) {
    const size_t colon = reply.find(':');
    return colon == std::string::npos ? std::string() : reply.substr(colon + 1, 5);
}

std::string Spaced(const std::string& order) {
    return " " + std::string(Trim(order)) + " ";
}

std::string IndexNeedle(int track) {
    return " " + std::to_string(track - 1) + " ";
}

std::string CutToBytes(const std::string& text, size_t bytes) {
    if (text.size() <= bytes)
        return text;
    size_t keep = 0;
    while (keep < text.size()) {
        const size_t next = keep + std::max<size_t>(1, Utf8CharacterLength(text, keep));
        if (next > bytes)
            break;
        keep = next;
    }
    return text.substr(0, keep);
}

} // namespace

CdController::CdController(MainWndSettings& settings, MainWndHost& host, RandomGenerator& random,
                           std::function<void()> afterPlayback, std::string titlesPath)
    : settings_(settings), host_(host), random_(random), afterPlayback_(std::move(afterPlayback)),
      titles_(std::move(titlesPath), [](std::string_view bytes) { return AnsiToUtf8(bytes); }),
      cddb_(titles_, [this](int stringId) {
          host_.PostToUiThread(
              [this, stringId] { host_.ShowMessage(stringId, MainWndHost::MessageIcon::Error); });
      }) {
    // The device reports on its playing thread; the notice is handled on ours.
    mci_.SetNotifyCallback(
        [this](int code) { host_.PostToUiThread([this, code] { OnNotify(code); }); });
}

CdController::~CdController() {
    cddb_.Stop();
    mci_.SetNotifyCallback({});
    mci_.Send("close all");
}

// ------------------------------------------------------------------ drive

void CdController::ChooseDrive() {
    if (!settings_.CDLetter.empty() && CdDrive::IsDrive(settings_.CDLetter))
        return;
    const std::vector<std::string> drives = CdDrive::Devices();
    settings_.CDLetter = drives.empty() ? std::string() : drives.front();
}

bool CdController::HasDrive() const {
    return !settings_.CDLetter.empty();
}

void CdController::ChangeDrive(const std::string& drive) {
    if (drive == settings_.CDLetter)
        return;
    settings_.CDLetter = drive;
    if (!Active())
        return;
    ++commandSerial_;
    state_ = Stopped;
    mci_.Send("stop zeb");
    mci_.Send("close zeb");
    OpenDevice();
    Refresh();
}

// An unquoted element may not hold blanks; a path that does is quoted.
std::string CdController::OpenCommand() const {
    const std::string& drive = settings_.CDLetter;
    const bool blank = std::any_of(drive.begin(), drive.end(), IsBlank);
    const std::string element = blank ? "\"" + drive + "\"" : drive + ":";
    return "open " + element + " type cdaudio shareable alias zeb";
}

void CdController::OpenDevice() {
    openCommand_ = OpenCommand();
    mci_.Send(openCommand_);
    mci_.Send("set zeb time format tmsf");
}

void CdController::Reopen() {
    mci_.Send("close zeb");
    mci_.Send(openCommand_.empty() ? OpenCommand() : openCommand_);
    mci_.Send("set zeb time format tmsf");
}

// ------------------------------------------------------------------ mode

bool CdController::Active() const {
    return settings_.CDMode == 1;
}

bool CdController::Enter(bool playNow) {
    if (!HasDrive()) {
        host_.ShowMessage(IDS_NO_CD_DRIVE, MainWndHost::MessageIcon::Error);
        return false;
    }
    ++commandSerial_;
    state_ = Stopped;
    settings_.CDMode = 1;
    trackStarted_ = false;
    BuildShuffleTable();
    OpenDevice();
    LookUpUnnamedDisc();
    if (settings_.AutoPlay == 1 || playNow) {
        const int count = TrackCount();
        const int first = FirstTrack(count);
        StartAndMark(first, count);
    }
    Refresh();
    return true;
}

void CdController::Leave() {
    ++commandSerial_;
    mci_.Send("stop zeb");
    mci_.Send("close zeb");
    state_ = Stopped;
    settings_.CDMode = 0;
}

void CdController::CloseDevice() {
    ++commandSerial_;
    cddb_.Stop();
    mci_.Send("stop zeb");
    mci_.Send("close zeb");
    state_ = Stopped;
}

void CdController::LookUpUnnamedDisc() {
    if (settings_.AutoCDDB != 1 || cddb_.Running() || !HasAudioTrack())
        return;
    if (titles_.Title(DiscKey(), false).empty())
        LookUpTitles();
}

// Fills the 100 slots with 1..100: each number goes to the k-th free slot,
// counting on from slot 0 and around, k drawn from 1..101.
void CdController::BuildShuffleTable() {
    shuffle_.fill(0);
    for (int value = 1; value <= kShuffleSlots; ++value) {
        const int k = 1 + int(random_.Draw() * kShuffleSlots);
        int free = 0;
        for (int slot = 0;; slot = (slot + 1) % kShuffleSlots) {
            if (shuffle_[size_t(slot)] == 0 && ++free == k) {
                shuffle_[size_t(slot)] = value;
                break;
            }
        }
    }
}

// ------------------------------------------------------------------ picks

int CdController::TrackCount() {
    return std::clamp(int(LeadingInteger(mci_.Send("status zeb number of tracks").text)), 0,
                      kMaxTracks);
}

std::string CdController::OrderText() {
    return std::string(Trim(titles_.OrderText(DiscKey())));
}

int CdController::FirstTrack(int count) {
    return PickAudio(-1, count, true, settings_.ShuffleMode == 1);
}

// The next pick from `current` (-1 for the first) that is an audio track or
// out of 1..count: data tracks cannot be played and are passed over.
int CdController::PickAudio(int current, int count, bool forward, bool shuffle) {
    int track = current;
    for (int tries = 0; tries <= kShuffleSlots; ++tries) {
        track = shuffle ? ShufflePick(std::max(track, 0), count, forward)
                        : SequentialPick(track, forward);
        if (track < 1 || track > count || IsAudio(track))
            return track;
    }
    return 0;
}

// The order holds zero-based indices; " i " is looked up in it as text.
int CdController::SequentialPick(int current, bool forward) {
    const std::string order = OrderText();
    if (order.empty()) {
        if (current == -1)
            return 1;
        return forward ? current + 1 : current - 1;
    }
    const std::string spaced = Spaced(order);
    const std::string needle = IndexNeedle(current);
    const size_t found = current == -1 ? std::string::npos : spaced.find(needle);
    if (forward) {
        const size_t from = found == std::string::npos ? 1 : found + needle.size();
        const std::string rest = spaced.substr(std::min(from, spaced.size()));
        return rest.empty() ? 0 : int(LeadingInteger(rest)) + 1;
    }
    const std::string before = found == std::string::npos ? spaced : spaced.substr(0, found);
    if (before.empty())
        return 0;
    return int(LeadingInteger(before.substr(before.rfind(' ') + 1))) + 1;
}

// The next slot of the table, forward or back, whose track is on the disc
// and in the order; 0 when no slot passes.
int CdController::ShufflePick(int current, int count, bool forward) {
    const std::string order = OrderText();
    const std::string spaced = Spaced(order);
    int slot = 0;
    if (current != 0) {
        const auto at = std::find(shuffle_.begin(), shuffle_.end(), current);
        slot = at == shuffle_.end() ? 0 : int(at - shuffle_.begin());
    }
    for (int step = 0; step < kShuffleSlots; ++step) {
        slot = (slot + (forward ? 1 : kShuffleSlots - 1)) % kShuffleSlots;
        const int value = shuffle_[size_t(slot)];
        if (value > count)
            continue;
        if (!order.empty() && spaced.find(IndexNeedle(value)) == std::string::npos)
            continue;
        return value;
    }
    return 0;
}

// ------------------------------------------------------------------ playing

// Every track is written to a file of its own when the output is WAV. A
// play that goes on inside a track (after a pause, a seek) writes the next
// numbered file, so the part written before stays.
void CdController::SetOutputFor(int track, bool continuing) {
    WaveOutConfig config;
    if (settings_.OutputModule != 0) {
        config.kind = CWaveOut::Device;
        config.device = settings_.ADevice;
    } else {
        config.kind = CWaveOut::WavFile;
        const std::string path = settings_.OutPath + Format("Track %02d.wav", track);
        config.wavPath = path;
        std::error_code error;
        for (int n = 2; continuing && std::filesystem::exists(config.wavPath, error); ++n)
            config.wavPath = NumberedWavPath(path, n);
    }
    mci_.SetOutput(config);
}

// Each play that starts ends in exactly one notice, in the order of the
// plays; counting them tells the notice of the latest play from those of
// plays replaced since, which may still wait in the interface's queue.
uint32_t CdController::SendPlay(const std::string& command) {
    const uint32_t error = mci_.Send(command).error;
    if (error == 0)
        ++playsSent_;
    return error;
}

uint32_t CdController::StartTrack(int track, int count) {
    SetOutputFor(track);
    if (track < count)
        return SendPlay(Format("play zeb from %d to %d notify", track, track + 1));
    return SendPlay(Format("play zeb from %d notify", track));
}

bool CdController::StartAndMark(int track, int count) {
    track_ = track;
    if (StartTrack(track, count) != 0)
        return false;
    state_ = Playing;
    trackStarted_ = true;
    return true;
}

// Plays on from the heard position to the end of its track.
void CdController::Resume() {
    const std::string position = mci_.Send("status zeb position").text;
    const int track = int(LeadingInteger(position));
    SetOutputFor(track, true);
    if (track < TrackCount())
        SendPlay(Format("play zeb from %s to %d notify", position.c_str(), track + 1));
    else
        SendPlay(Format("play zeb from %s notify", position.c_str()));
}

void CdController::Play() {
    ++commandSerial_;
    if (state_ == Paused) {
        Resume();
        state_ = Playing;
    } else if (state_ == Stopped) {
        Reopen();
        const int count = TrackCount();
        StartAndMark(FirstTrack(count), count);
    }
    Refresh();
}

void CdController::Pause() {
    ++commandSerial_;
    if (state_ == Playing) {
        mci_.Send("pause zeb");
        state_ = Paused;
    } else if (state_ == Paused) {
        Resume();
        state_ = Playing;
    }
    Refresh();
}

void CdController::PlayPause() {
    if (state_ == Stopped)
        Play();
    else
        Pause();
}

void CdController::Stop() {
    ++commandSerial_;
    mci_.Send("stop zeb");
    state_ = Stopped;
    Refresh();
}

void CdController::StopPlay() {
    if (state_ == Stopped)
        Play();
    else
        Stop();
}

void CdController::Step(bool forward) {
    if (state_ == Stopped)
        return;
    const int count = TrackCount();
    const int track = PickAudio(track_, count, forward, settings_.ShuffleMode == 1);
    if (track <= 0 || track > count)
        return;
    ++commandSerial_;
    StartAndMark(track, count);
    Refresh();
}

void CdController::PlayTrack(int track) {
    ++commandSerial_;
    track_ = track;
    StartTrack(track, TrackCount());
    state_ = Playing;
    trackStarted_ = true;
    Refresh();
}

void CdController::Seek(int seconds) {
    const std::string position = mci_.Send("status zeb position").text;
    const int track = int(LeadingInteger(position));
    const int length = LengthSeconds(mci_.Send(Format("status zeb length track %d", track)).text);
    PlayFrom(track_, std::clamp(InTrackSeconds(position) + seconds, 0, std::max(length, 0)));
}

void CdController::PlayFrom(int track, int seconds) {
    ++commandSerial_;
    track_ = track;
    SetOutputFor(track, true);
    const int minutes = seconds / 60;
    if (track < TrackCount())
        SendPlay(
            Format("play zeb from %d:%d:%d to %d notify", track, minutes, seconds % 60, track + 1));
    else
        SendPlay(Format("play zeb from %d:%d:%d notify", track, minutes, seconds % 60));
    state_ = Playing;
    trackStarted_ = true;
    Refresh();
}

int CdController::TrackLengthSeconds(int track) {
    return LengthSeconds(mci_.Send(Format("status zeb length track %d", track)).text);
}

int CdController::PositionTrack() {
    return int(LeadingInteger(mci_.Send("status zeb position").text));
}

void CdController::Eject() {
    ++commandSerial_;
    mci_.Send("set zeb door open");
    state_ = Stopped;
    Refresh();
}

void CdController::CloseDoor() {
    mci_.Send("set zeb door closed");
}

bool CdController::LookUpTitles() {
    return cddb_.Start(mci_, {settings_.CDDBServer, settings_.EMailAddress});
}

// ------------------------------------------------------------------ notices

void CdController::OnNotify(int code) {
    if (++noticesSeen_ < playsSent_ || !Active())
        return;
    if (code == kMciNotifySuccessful) {
        AfterTrack();
    } else if (code == kMciNotifyFailure) {
        if (!EqualsIgnoreCase(mci_.Send("status zeb media present").text, "false")) {
            Resume();
        } else {
            state_ = Stopped;
            Refresh();
        }
    }
}

// The gap runs on a timer; a command given meanwhile drops the step.
void CdController::AfterGap(std::function<void()> step) {
    const int gap = std::clamp(settings_.Gap, 0, kMaxGapMs);
    if (gap == 0) {
        step();
        return;
    }
    host_.RunAfter(gap, [this, serial = commandSerial_, step = std::move(step)] {
        if (serial == commandSerial_ && Active())
            step();
    });
}

void CdController::AfterTrack() {
    const int count = TrackCount();
    int next = track_;
    if (settings_.RepeatTrack != 1)
        next = PickAudio(track_, count, true, settings_.ShuffleMode == 1);
    if (next < 1 || next > count) {
        EndOfDisc();
        return;
    }
    AfterGap([this, next, count] {
        track_ = next;
        if (StartTrack(next, count) != 0)
            state_ = Stopped; // the disc went or cannot be read: nothing plays
        trackStarted_ = true;
        host_.UpdateStatus(true);
    });
}

void CdController::EndOfDisc() {
    if (settings_.Repeat != 1) {
        state_ = Stopped;
        Refresh();
        if (afterPlayback_)
            afterPlayback_();
        return;
    }
    AfterGap([this] { RestartDisc(); });
}

void CdController::RestartDisc() {
    Reopen();
    const int count = TrackCount();
    uint32_t result = 0;
    if (count < 2) {
        track_ = 1;
        SetOutputFor(1);
        result = SendPlay("play zeb from 1 notify");
    } else {
        // The first track goes "to" the next one, or to the end when it is the last.
        track_ = PickAudio(-1, count, true, false);
        result = StartTrack(track_, count);
    }
    if (result != 0)
        state_ = Stopped;
    trackStarted_ = true;
    host_.UpdateStatus(true);
}

// ------------------------------------------------------------------ displays

void CdController::Refresh() const {
    host_.UpdateStatus(true);
}

std::optional<CdStatus> CdController::Status() {
    CdStatus status;
    if (state_ == Stopped) {
        status.tooltip = "ZEB CD";
        status.mainWindowText = "ZEB CD Player";
        return status;
    }
    const std::string position = mci_.Send("status zeb position").text;
    const int track = int(LeadingInteger(position));
    const std::string inTrack = InTrackText(position);
    if (inTrack <= "00:05" && !trackStarted_)
        return std::nullopt;
    if (inTrack > "00:05")
        trackStarted_ = false;
    const int length =
        std::max(0, LengthSeconds(mci_.Send(Format("status zeb length track %d", track)).text));
    const int at = std::min(InTrackSeconds(position), length);
    const int left = length - at;
    const std::string key = DiscKey();
    const std::string shortName = titles_.ShortName(key, track);
    const std::string total = Format("%02d:%02d", length / 60, length % 60);
    const bool remaining = settings_.ShowRemainingTime == 1;
    const std::string shown = remaining ? Format("%02d:%02d", left / 60, left % 60) : inTrack;
    status.stopped = false;
    status.tooltip =
        CutToBytes(Format("%d. %s - %s/%s", track, shortName.c_str(), shown.c_str(), total.c_str()),
                   kTooltipMaxBytes);
    status.minibarTime = settings_.ShowTTT == 1 ? shown + "/" + total : shown;
    status.minibarTitle =
        Format("%d. ", track) + titles_.DisplayName(key, track, settings_.ShowingMode);
    status.minibarPerMille = length > 0 ? at * 1000 / length : 0;
    status.icon = state_ == Playing ? TrayIconKind::Playing : TrayIconKind::Paused;
    status.nowPlaying = titles_.NowPlayingName(key, track);
    status.mainWindowText = "ZEB: " + status.nowPlaying;
    return status;
}

bool CdController::IsAudio(int track) {
    return mci_.IsAudioTrack(kAlias, track);
}

bool CdController::HasAudioTrack() {
    const int count = TrackCount();
    for (int track = 1; track <= count; ++track) {
        if (IsAudio(track))
            return true;
    }
    return false;
}

std::string CdController::DiscKey() {
    return CdTitleDatabase::DiscKey(mci_.Send("info zeb identity").text);
}

std::vector<std::string> CdController::TrackLengths() {
    std::vector<std::string> lengths;
    const int count = TrackCount();
    for (int track = 1; track <= count; ++track)
        lengths.push_back(mci_.Send(Format("status zeb length track %d", track)).text);
    return lengths;
}

CdDiscMenu CdController::DiscMenu() {
    CdDiscMenu menu;
    const int count = TrackCount();
    const std::string key = DiscKey();
    const std::vector<int> order = titles_.Order(key);
    const int listed = order.empty() ? count : int(order.size());
    menu.listed = listed >= 1;
    if (!menu.listed)
        return menu;
    std::vector<MenuNode> tracks;
    for (int i = 0; i < listed; ++i) {
        const int track = order.empty() ? i + 1 : order[size_t(i)];
        if (track < 1 || track > count || !IsAudio(track))
            continue;
        MenuNode node;
        node.id = ID_TRACK_FIRST + track - 1;
        const std::string length = mci_.Send(Format("status zeb length track %d", track)).text;
        node.label = titles_.ShortName(key, track) + " (" + length.substr(0, 5) + ")";
        node.isDefault = track == track_ && state_ == Playing;
        tracks.push_back(std::move(node));
    }
    menu.hasAudio = HasAudioTrack();
    MenuNode disc;
    disc.id = ID_CD_PLAYLIST;
    if (tracks.empty()) {
        disc.label = "Data CD";
        menu.items.push_back(std::move(disc));
        return menu;
    }
    disc.label = DoubleAmpersands(titles_.Artist(key, true) + " - " + titles_.Title(key, true));
    menu.items.push_back(std::move(disc));
    MenuNode separator;
    separator.kind = MenuItemKind::Separator;
    menu.items.push_back(std::move(separator));
    std::move(tracks.begin(), tracks.end(), std::back_inserter(menu.items));
    return menu;
}

} // namespace zeb
