#pragma once

#include <string>

namespace zeb {

// Asks logind to switch the computer off (what the after-playback
// "switch off" choice does). False, with the reason, when the request is
// refused or no logind answers.
bool RequestSystemPowerOff(std::string* error = nullptr);

} // namespace zeb
