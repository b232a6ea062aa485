#pragma once

#include <string>

namespace zeb {

// Asks logind on the system bus to switch the computer off (what the
// after-playback "switch off" choice does). The request is interactive, so
// the desktop may ask for a password first; the call waits for that answer.
// False, with the reason, when the request is refused or no logind answers.
bool RequestSystemPowerOff(std::string* error = nullptr);

} // namespace zeb
