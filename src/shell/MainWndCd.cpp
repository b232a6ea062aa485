// The main window's CD mode: entering and leaving it, and the commands that
// act on the disc while it is on.
#include "resources/ResourceIds.h"
#include "shell/CdController.h"
#include "shell/MainWnd.h"

namespace zeb {

bool CMainWnd::EnterCdMode(bool playNow) {
    if (InCdMode()) {
        if (playNow)
            cd_->Play();
        return true;
    }
    if (!cd_->HasDrive()) {
        host_.ShowMessage(IDS_NO_CD_DRIVE, MainWndHost::MessageIcon::Error);
        return false;
    }
    if (Count() > 0) {
        CancelOpenSearch();
        StopEngine();
    }
    CDMode = 1;
    host_.CdModeChanged(true);
    return cd_->Enter(playNow);
}

void CMainWnd::LeaveCdMode(bool restartList) {
    if (!InCdMode())
        return;
    cd_->Leave();
    host_.CdModeChanged(false);
    if (restartList && Count() > 0) {
        SetCurrentTitles(model_.PathAt(CurrentIndex()));
        if (AutoPlay == 1)
            StartCurrentEntry();
        else
            player_.SetSource(model_.PathAt(CurrentIndex()));
    }
    Update();
}

void CMainWnd::PlayAudioCd() {
    if (!InCdMode()) {
        EnterCdMode(true);
        return;
    }
    cd_->LookUpUnnamedDisc();
    cd_->Play();
}

bool CMainWnd::OnCdCommand(int id) {
    if (id == ID_TO_CD_MODE) {
        EnterCdMode(false);
        return true;
    }
    if (!InCdMode())
        return false;
    if (IsTrackCommand(id)) {
        cd_->PlayTrack(id - ID_TRACK_FIRST + 1);
        return true;
    }
    switch (id) {
    case ID_TO_MP3_MODE:
        LeaveCdMode(true);
        return true;
    case ID_PLAY:
        cd_->Play();
        return true;
    case ID_PAUSE:
        cd_->Pause();
        return true;
    case ID_STOP:
        cd_->Stop();
        return true;
    case ID_PREVIOUS:
        cd_->Step(false);
        return true;
    case ID_NEXT:
        cd_->Step(true);
        return true;
    case ID_CD_EJECT:
        cd_->Eject();
        return true;
    case ID_CD_CLOSE_TRAY:
        cd_->CloseDoor();
        return true;
    case ID_CD_CDDB:
        if (cd_->HasAudioTrack())
            cd_->LookUpTitles();
        return true;
    default:
        return false;
    }
}

} // namespace zeb
