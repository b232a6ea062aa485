// Publishes a stand-in player on the session bus and prints every call it
// gets: "call <method>", "volume <percent>", "seek <microseconds>", "open
// <uri>". It prints "registered" when the name is on the bus. Lines on
// standard input change its state and then announce it: "title <text>",
// "status <Playing|Paused|Stopped>", "notify" (no change); each is
// answered with "done <line>" once the signal is sent.
#include "system/Mpris.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

void Print(const std::string& line) {
    std::cout << line << std::endl;
}

class FakePlayer : public zeb::MprisPlayer {
public:
    void PlayPause() override {
        Print("call PlayPause");
        status = status == Status::Playing ? Status::Paused : Status::Playing;
    }
    void Play() override {
        Print("call Play");
        status = Status::Playing;
    }
    void Pause() override {
        Print("call Pause");
        if (status == Status::Playing)
            status = Status::Paused;
    }
    void Stop() override {
        Print("call Stop");
        status = Status::Stopped;
        positionUs = 0;
    }
    void Next() override {
        Print("call Next");
        ++track.index;
    }
    void Previous() override {
        Print("call Previous");
        if (track.index > 0)
            --track.index;
    }
    void OpenUri(const std::string& uri) override { Print("open " + uri); }
    void Quit() override {
        Print("call Quit");
        QCoreApplication::quit();
    }
    Status PlaybackStatus() const override { return status; }
    zeb::MprisTrack Track() const override { return track; }
    int VolumePercent() const override { return volume; }
    void SetVolumePercent(int percent) override {
        volume = percent;
        Print("volume " + std::to_string(percent));
    }
    int64_t PositionUs() const override { return positionUs; }
    void SeekTo(int64_t us) override {
        positionUs = us;
        Print("seek " + std::to_string(us));
    }

    Status status = Status::Stopped;
    zeb::MprisTrack track{0, "Fixture Title", "Fixture Artist", 180'000'000,
                          "file:///music/a%20b.mp3"};
    int volume = 80;
    int64_t positionUs = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakePlayer player;
    zeb::Mpris mpris(player);
    std::string error;
    if (!mpris.Register(&error)) {
        std::cerr << "mpris: " << error << std::endl;
        return 1;
    }
    Print("registered");

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, size_t(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.rfind("title ", 0) == 0) {
                player.track.title = line.substr(6);
            } else if (line == "status Playing") {
                player.status = zeb::MprisPlayer::Status::Playing;
            } else if (line == "status Paused") {
                player.status = zeb::MprisPlayer::Status::Paused;
            } else if (line == "status Stopped") {
                player.status = zeb::MprisPlayer::Status::Stopped;
            }
            mpris.NotifyChanged();
            Print("done " + line);
        }
    });
    return app.exec();
}
