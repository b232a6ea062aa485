#pragma once

#include "platform/MessageEndpoint.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zeb {

class CMainWnd;

// The endpoint name other programs look for, and its window's first title.
inline constexpr std::string_view kRemoteEndpointName = "Winamp v1.x";
inline constexpr std::string_view kRemoteInitialTitle = "Winamp";

// WM_USER query codes answered by the remote-control endpoint.
constexpr uint32_t kRemoteQueryStatus = 104; // 1 playing, 3 paused, 0 otherwise
constexpr uint32_t kRemoteQueryCount = 124;  // number of playlist entries
constexpr uint32_t kRemoteQueryIndex = 125;  // current index, 0-based

// What the remote commands do beyond the player itself: windows, dialogs and
// leaving the program. The tray program implements it; it may run the
// actions at once or queue them for after the answer has gone out (a dialog
// must not run inside the endpoint's handler).
class RemoteActions {
public:
    virtual ~RemoteActions() = default;
    virtual void Exit() = 0;
    virtual void OpenFileDialog() = 0;
    virtual void OpenAddressDialog() = 0;
    // Not called in CD mode.
    virtual void ToggleEqualizer() = 0;
    // Not called in CD mode.
    virtual void TogglePlaylistWindow() = 0;
    // `cdMinibar` is set in CD mode: the CD minibar is meant then.
    virtual void ToggleMinibar(bool cdMinibar) = 0;
};

// Runs one remote command id (40001 ... 40258); false for an id it does not
// know, which then does nothing.
bool RunRemoteCommand(CMainWnd& wnd, RemoteActions& actions, int id);

// The answer to a WM_USER query code; 0 for codes it does not know.
int32_t AnswerRemoteQuery(CMainWnd& wnd, uint32_t code);

// Serves one request of the remote-control endpoint: WM_COMMAND runs the
// command in the low word of wParam and answers 0, WM_USER answers the query
// in lParam, anything else answers 0.
int32_t AnswerRemoteRequest(CMainWnd& wnd, RemoteActions& actions, const EndpointRequest& request);

// The remote-control window's title for the shown name of the current entry.
std::string RemoteWindowTitle(std::string_view shownName);

} // namespace zeb
