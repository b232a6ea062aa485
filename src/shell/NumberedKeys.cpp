#include "shell/NumberedKeys.h"

#include "platform/IniFile.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <charconv>

namespace zeb {

namespace {

// The number after `stem` when `key` is the stem and a number written the
// way the program writes it (decimal, no sign, no leading zeros).
int NumberAfterStem(std::string_view key, std::string_view stem) {
    if (key.size() <= stem.size() || !EqualsIgnoreCase(key.substr(0, stem.size()), stem))
        return -1;
    std::string_view digits = key.substr(stem.size());
    if (digits.size() > 1 && digits[0] == '0')
        return -1;
    int n = -1;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || end != digits.data() + digits.size())
        return -1;
    return n;
}

} // namespace

int HighestNumberedKey(const IniFile& ini, const std::string& section, std::string_view stem) {
    int highest = -1;
    for (const std::string& key : ini.KeyNames(section))
        highest = std::max(highest, NumberAfterStem(key, stem));
    return highest;
}

} // namespace zeb
