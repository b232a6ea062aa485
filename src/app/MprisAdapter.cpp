#include "app/MprisAdapter.h"

#include "shell/MainWnd.h"

#include <QUrl>

namespace zeb {

MainWndMprisPlayer::MainWndMprisPlayer(CMainWnd& wnd, std::function<void()> quit)
    : wnd_(wnd), quit_(std::move(quit)) {}

void MainWndMprisPlayer::PlayPause() {
    wnd_.PlayPause();
}
void MainWndMprisPlayer::Play() {
    wnd_.Play();
}

void MainWndMprisPlayer::Pause() {
    if (wnd_.Player().GetState() == CMpegPlayer::Playing)
        wnd_.Pause();
}

void MainWndMprisPlayer::Stop() {
    wnd_.StopCommand();
}
void MainWndMprisPlayer::Next() {
    wnd_.StepTrack(true);
}
void MainWndMprisPlayer::Previous() {
    wnd_.StepTrack(false);
}

void MainWndMprisPlayer::OpenUri(const std::string& uri) {
    const QUrl url(QString::fromStdString(uri));
    if (url.isLocalFile())
        wnd_.OpenSingleFile(url.toLocalFile().toStdString(), false, true);
    else if (url.scheme() == "http" || url.scheme() == "ftp")
        wnd_.OpenAddress(uri);
}

void MainWndMprisPlayer::Quit() {
    if (quit_)
        quit_();
}

MprisPlayer::Status MainWndMprisPlayer::PlaybackStatus() const {
    switch (wnd_.Player().GetState()) {
    case CMpegPlayer::Playing:
        return Status::Playing;
    case CMpegPlayer::Paused:
        return Status::Paused;
    default:
        return Status::Stopped;
    }
}

MprisTrack MainWndMprisPlayer::Track() const {
    MprisTrack track;
    const int index = wnd_.CurrentIndex();
    if (index < 0 || index >= wnd_.Count())
        return track;
    track.index = index;
    track.title = wnd_.Title();
    // The shown name is "artist - title" when the tag names an artist.
    const std::string& shown = wnd_.DisplayName();
    const std::string suffix = " - " + wnd_.Title();
    if (shown.size() > suffix.size() && shown.ends_with(suffix))
        track.artist = shown.substr(0, shown.size() - suffix.size());
    const int state = wnd_.Player().GetState();
    if (state == CMpegPlayer::Playing || state == CMpegPlayer::Paused)
        track.lengthUs = int64_t(wnd_.Player().LengthMs()) * 1000;
    const std::string& path = wnd_.Model().PathAt(index);
    if (!path.empty() && path.front() == '/')
        track.url = QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded().toStdString();
    else
        track.url = path;
    return track;
}

int MainWndMprisPlayer::VolumePercent() const {
    return wnd_.Volume();
}
int MainWndMprisPlayer::ReadVolumePercent() {
    return wnd_.ReadVolume();
}
void MainWndMprisPlayer::SetVolumePercent(int percent) {
    wnd_.SetVolume(percent);
}

int64_t MainWndMprisPlayer::PositionUs() const {
    const int state = wnd_.Player().GetState();
    if (state != CMpegPlayer::Playing && state != CMpegPlayer::Paused)
        return 0;
    return int64_t(wnd_.Player().PositionMs()) * 1000;
}

void MainWndMprisPlayer::SeekTo(int64_t positionUs) {
    CMpegPlayer& player = wnd_.Player();
    const int64_t lengthUs = int64_t(player.LengthMs()) * 1000;
    if (player.GetState() != CMpegPlayer::Playing || lengthUs <= 0)
        return;
    player.Seek(int(positionUs * 100 / lengthUs));
}

} // namespace zeb
