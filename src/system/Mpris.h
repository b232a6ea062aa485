#pragma once

#include <QDBusConnection>
#include <cstdint>
#include <memory>
#include <string>

namespace zeb {

// The entry the player holds, as the desktop's media controls see it.
struct MprisTrack {
    int index = -1; // -1: no entry
    std::string title;
    std::string artist;   // empty when unknown
    int64_t lengthUs = 0; // 0 when unknown
    std::string url;      // file:// URL or the address

    bool operator==(const MprisTrack&) const = default;
};

// The player as the media-player bus interface drives it.
class MprisPlayer {
public:
    enum class Status { Stopped, Playing, Paused };

    virtual ~MprisPlayer() = default;
    virtual void PlayPause() = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    // A file:// URL or an http/ftp address to open and play.
    virtual void OpenUri(const std::string& uri) = 0;
    virtual void Quit() = 0;

    virtual Status PlaybackStatus() const = 0;
    virtual MprisTrack Track() const = 0;
    // The volume as the player last knew it, for its change signals.
    virtual int VolumePercent() const = 0;
    // The volume for a client that asks for it; the player may have to
    // read it first.
    virtual int ReadVolumePercent() { return VolumePercent(); }
    virtual void SetVolumePercent(int percent) = 0;
    virtual int64_t PositionUs() const = 0;
    // Seeks within the current track; only a playing track can seek.
    virtual void SeekTo(int64_t positionUs) = 0;
};

class MprisObject;

// Publishes a player on the session bus as "org.mpris.MediaPlayer2.zeb"
// (object /org/mpris/MediaPlayer2) so desktop media keys, panels and
// playerctl can drive it. Calls arrive on the thread that runs the Qt event
// loop.
class Mpris {
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.zeb";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    explicit Mpris(MprisPlayer& player, QDBusConnection bus = QDBusConnection::sessionBus());
    ~Mpris();
    Mpris(const Mpris&) = delete;
    Mpris& operator=(const Mpris&) = delete;

    // Exports the object and takes the service name; false with the reason
    // when the bus is not there or the name is taken.
    bool Register(std::string* error = nullptr);
    void Unregister();
    bool Registered() const { return registered_; }

    // Compares status, metadata, volume and the Can* flags with what was last
    // published and signals the differences (PropertiesChanged). The owner
    // calls it whenever its status display changes; calls that change
    // nothing send nothing.
    void NotifyChanged();

    // True when a session bus is named in the environment or listens at the
    // runtime folder's "bus". Without either, connecting would start a bus of
    // its own through X11 (autolaunch) that no desktop program talks to.
    static bool SessionBusConfigured();

    // The track id the metadata gives for an entry index.
    static std::string TrackId(int index);

private:
    MprisPlayer& player_;
    QDBusConnection bus_;
    std::unique_ptr<MprisObject> object_;
    bool registered_ = false;
};

} // namespace zeb
