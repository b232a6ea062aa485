#include "system/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace zeb {

namespace {

constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// The exported object: both interfaces' adaptors hang from it and reach the
// player through it.
class MprisObject : public QObject {
    Q_OBJECT
public:
    MprisObject(MprisPlayer& player, QDBusConnection bus) : player_(player), bus_(std::move(bus)) {}

    MprisPlayer& Player() { return player_; }

    QString PlaybackStatus() const { return StatusName(player_.PlaybackStatus()); }

    static QString StatusName(MprisPlayer::Status status) {
        switch (status) {
        case MprisPlayer::Status::Playing:
            return QStringLiteral("Playing");
        case MprisPlayer::Status::Paused:
            return QStringLiteral("Paused");
        default:
            return QStringLiteral("Stopped");
        }
    }

    QVariantMap Metadata() const { return MetadataOf(player_.Track()); }

    static QVariantMap MetadataOf(const MprisTrack& track) {
        QVariantMap map;
        if (track.index < 0) {
            map.insert("mpris:trackid", QVariant::fromValue(QDBusObjectPath(kNoTrack)));
            return map;
        }
        map.insert("mpris:trackid",
                   QVariant::fromValue(QDBusObjectPath(Text(Mpris::TrackId(track.index)))));
        map.insert("xesam:title", Text(track.title));
        if (!track.artist.empty())
            map.insert("xesam:artist", QStringList{Text(track.artist)});
        if (track.lengthUs > 0)
            map.insert("mpris:length", qlonglong(track.lengthUs));
        if (!track.url.empty())
            map.insert("xesam:url", Text(track.url));
        return map;
    }

    bool HasTrack() const { return player_.Track().index >= 0; }
    bool CanSeek() const { return CanSeekIn(player_.PlaybackStatus(), player_.Track()); }

    // Only a playing track of known length seeks.
    static bool CanSeekIn(MprisPlayer::Status status, const MprisTrack& track) {
        return status == MprisPlayer::Status::Playing && track.lengthUs > 0;
    }

    // What the signalled properties are made of, read from the player once.
    struct State {
        MprisPlayer::Status status = MprisPlayer::Status::Stopped;
        MprisTrack track;
        int volume = 0;

        bool operator==(const State&) const = default;
    };

    State CurrentState() const {
        return {player_.PlaybackStatus(), player_.Track(), player_.VolumePercent()};
    }

    // The properties whose changes are signalled, by name.
    QVariantMap Published(const State& state) const {
        const bool hasTrack = state.track.index >= 0;
        return {
            {"PlaybackStatus", StatusName(state.status)},
            {"Metadata", MetadataOf(state.track)},
            {"Volume", state.volume / 100.0},
            {"CanGoNext", hasTrack},
            {"CanGoPrevious", hasTrack},
            {"CanPlay", hasTrack},
            {"CanPause", hasTrack},
            {"CanSeek", CanSeekIn(state.status, state.track)},
        };
    }

    // Called on every status refresh: the maps are built only when the
    // player's state moved since the last call.
    void Publish(bool signal) {
        State state = CurrentState();
        if (published_ && state == lastState_)
            return;
        lastState_ = std::move(state);
        published_ = true;
        const QVariantMap now = Published(lastState_);
        QVariantMap changed;
        for (auto it = now.begin(); it != now.end(); ++it) {
            auto old = last_.find(it.key());
            if (old == last_.end() || !Same(old.value(), it.value()))
                changed.insert(it.key(), it.value());
        }
        last_ = now;
        if (!signal || changed.isEmpty())
            return;
        QDBusMessage message = QDBusMessage::createSignal(
            Mpris::kObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        message << QString(kPlayerInterface) << changed << QStringList();
        bus_.send(message);
    }

private:
    // Metadata maps hold object paths, which QVariant does not compare by value.
    static bool Same(const QVariant& a, const QVariant& b) {
        if (a.metaType() == QMetaType::fromType<QVariantMap>() &&
            b.metaType() == QMetaType::fromType<QVariantMap>()) {
            const QVariantMap x = a.toMap(), y = b.toMap();
            if (x.keys() != y.keys())
                return false;
            for (auto it = x.begin(); it != x.end(); ++it)
                if (!Same(it.value(), y.value(it.key())))
                    return false;
            return true;
        }
        if (a.metaType() == QMetaType::fromType<QDBusObjectPath>() &&
            b.metaType() == QMetaType::fromType<QDBusObjectPath>())
            return a.value<QDBusObjectPath>() == b.value<QDBusObjectPath>();
        return a == b;
    }

    MprisPlayer& player_;
    QDBusConnection bus_;
    QVariantMap last_;
    State lastState_;
    bool published_ = false;
};

namespace {

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit RootAdaptor(MprisObject* object) : QDBusAbstractAdaptor(object), object_(object) {}

    bool CanQuit() const { return true; }
    bool CanRaise() const { return false; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("zeb"); }
    QString DesktopEntry() const { return QStringLiteral("zeb"); }
    QStringList SupportedUriSchemes() const { return {"file", "http", "ftp"}; }
    QStringList SupportedMimeTypes() const { return {"audio/mpeg"}; }

public slots:
    void Raise() {} // the player has no window to raise
    void Quit() { object_->Player().Quit(); }

private:
    MprisObject* object_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ HasTrack)
    Q_PROPERTY(bool CanGoPrevious READ HasTrack)
    Q_PROPERTY(bool CanPlay READ HasTrack)
    Q_PROPERTY(bool CanPause READ HasTrack)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit PlayerAdaptor(MprisObject* object) : QDBusAbstractAdaptor(object), object_(object) {}

    QString PlaybackStatus() const { return object_->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) {} // one speed only
    QVariantMap Metadata() const { return object_->Metadata(); }
    double Volume() const { return object_->Player().ReadVolumePercent() / 100.0; }
    void SetVolume(double volume) {
        if (std::isnan(volume))
            return;
        object_->Player().SetVolumePercent(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
        object_->Publish(true);
    }
    qlonglong Position() const { return object_->Player().PositionUs(); }
    bool HasTrack() const { return object_->HasTrack(); }
    bool CanSeek() const { return object_->CanSeek(); }
    bool CanControl() const { return true; }

signals:
    void Seeked(qlonglong Position);

public slots:
    void Next() { Run(&MprisPlayer::Next); }
    void Previous() { Run(&MprisPlayer::Previous); }
    void Pause() { Run(&MprisPlayer::Pause); }
    void PlayPause() { Run(&MprisPlayer::PlayPause); }
    void Stop() { Run(&MprisPlayer::Stop); }
    void Play() { Run(&MprisPlayer::Play); }

    // Relative seek; past the end of the track means the next track.
    void Seek(qlonglong offset) {
        if (!object_->CanSeek())
            return;
        MprisPlayer& player = object_->Player();
        const int64_t length = player.Track().lengthUs;
        const int64_t target = std::max<int64_t>(0, player.PositionUs() + offset);
        if (target > length) {
            Run(&MprisPlayer::Next);
            return;
        }
        player.SeekTo(target);
        emit Seeked(target);
        object_->Publish(true);
    }

    // Absolute seek; ignored for another track or a position outside it.
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        if (!object_->CanSeek())
            return;
        MprisPlayer& player = object_->Player();
        const MprisTrack track = player.Track();
        if (trackId.path() != Text(Mpris::TrackId(track.index)) || position < 0 ||
            position > track.lengthUs)
            return;
        player.SeekTo(position);
        emit Seeked(position);
        object_->Publish(true);
    }

    void OpenUri(const QString& uri) {
        object_->Player().OpenUri(uri.toStdString());
        object_->Publish(true);
    }

private:
    void Run(void (MprisPlayer::*action)()) {
        (object_->Player().*action)();
        object_->Publish(true);
    }

    MprisObject* object_;
};

} // namespace

Mpris::Mpris(MprisPlayer& player, QDBusConnection bus) : player_(player), bus_(std::move(bus)) {}

Mpris::~Mpris() {
    Unregister();
}

bool Mpris::SessionBusConfigured() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return false;
    struct stat st {};
    return ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool Mpris::Register(std::string* error) {
    if (registered_)
        return true;
    if (!bus_.isConnected()) {
        if (error)
            *error = "no session bus: " + bus_.lastError().message().toStdString();
        return false;
    }
    auto object = std::make_unique<MprisObject>(player_, bus_);
    new RootAdaptor(object.get());
    new PlayerAdaptor(object.get());
    if (!bus_.registerObject(kObjectPath, object.get(), QDBusConnection::ExportAdaptors)) {
        if (error)
            *error = std::string("cannot export ") + kObjectPath;
        return false;
    }
    if (!bus_.registerService(kServiceName)) {
        bus_.unregisterObject(kObjectPath);
        if (error)
            *error = std::string(kServiceName) +
                     " is taken: " + bus_.lastError().message().toStdString();
        return false;
    }
    object->Publish(false);
    object_ = std::move(object);
    registered_ = true;
    return true;
}

void Mpris::Unregister() {
    if (!registered_)
        return;
    bus_.unregisterService(kServiceName);
    bus_.unregisterObject(kObjectPath);
    object_.reset();
    registered_ = false;
}

void Mpris::NotifyChanged() {
    if (object_)
        object_->Publish(true);
}

std::string Mpris::TrackId(int index) {
    return "/org/zeb/track/" + std::to_string(index);
}

} // namespace zeb

#include "Mpris.moc"
