#pragma once

#include <optional>
#include <string>

namespace zeb {

// The name of the user running the program (the account of the effective
// user id, else $USER or $LOGNAME); nothing when none can be found.
std::optional<std::string> LoggedOnUserName();

} // namespace zeb
