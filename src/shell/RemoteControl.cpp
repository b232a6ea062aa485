#include "shell/RemoteControl.h"

#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"

namespace zeb {

namespace {

// None -> repeat list -> repeat track -> none.
void CycleRepeat(CMainWnd& wnd) {
    if (wnd.Repeat == 1 || wnd.RepeatTrack == 1)
        wnd.ToggleRepeatTrack(); // list -> track, track -> none
    else
        wnd.ToggleRepeatList();
}

} // namespace

bool RunRemoteCommand(CMainWnd& wnd, RemoteActions& actions, int id) {
    const bool cd = wnd.CDMode == 1;
    switch (id) {
    case ID_WA_EXIT:
        actions.Exit();
        break;
    case ID_WA_REPEAT_CYCLE:
        CycleRepeat(wnd);
        break;
    case ID_WA_SHUFFLE:
        wnd.ShuffleMode = 1 - wnd.ShuffleMode;
        break;
    case ID_WA_OPEN_FILE:
        actions.OpenFileDialog();
        break;
    case ID_WA_EQUALIZER:
        if (!cd)
            actions.ToggleEqualizer();
        break;
    case ID_WA_PLAYLIST:
        if (!cd)
            actions.TogglePlaylistWindow();
        break;
    case ID_WA_PREVIOUS:
        wnd.StepTrack(false);
        break;
    case ID_WA_PLAY:
        wnd.Play();
        break;
    case ID_WA_PAUSE:
        wnd.Pause();
        break;
    case ID_WA_STOP:
        wnd.StopCommand();
        break;
    case ID_WA_NEXT:
        wnd.StepTrack(true);
        break;
    case ID_WA_VOLUME_UP:
        wnd.StepVolume(5);
        break;
    case ID_WA_VOLUME_DOWN:
        wnd.StepVolume(-5);
        break;
    case ID_WA_SEEK_BACK:
        wnd.SeekStep(-1);
        break;
    case ID_WA_SEEK_FORWARD:
        wnd.SeekStep(1);
        break;
    case ID_WA_OPEN_URL:
        actions.OpenAddressDialog();
        break;
    case ID_WA_MINIBAR:
        actions.ToggleMinibar(cd);
        break;
    default:
        return false;
    }
    return true;
}

int32_t AnswerRemoteQuery(CMainWnd& wnd, uint32_t code) {
    switch (code) {
    case kRemoteQueryStatus:
        // Always the engine's state; CD playback is not reported.
        switch (wnd.Player().GetState()) {
        case CMpegPlayer::Playing:
            return 1;
        case CMpegPlayer::Paused:
            return 3;
        default:
            return 0;
        }
    case kRemoteQueryCount:
        return wnd.Count();
    case kRemoteQueryIndex:
        return wnd.CurrentIndex();
    default:
        return 0;
    }
}

int32_t AnswerRemoteRequest(CMainWnd& wnd, RemoteActions& actions, const EndpointRequest& request) {
    switch (request.message) {
    case kWmCommand:
        RunRemoteCommand(wnd, actions, int(request.wParam & 0xFFFF));
        return 0;
    case kWmUser:
        return AnswerRemoteQuery(wnd, request.lParam);
    default:
        return 0;
    }
}

std::string RemoteWindowTitle(std::string_view shownName) {
    std::string title(shownName);
    title += " - ";
    title += kRemoteInitialTitle;
    return title;
}

} // namespace zeb
