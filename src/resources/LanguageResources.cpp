#include "resources/LanguageResources.h"

#include "resources/ResourceIds.h"

namespace zeb {

namespace {

struct ResourcePair {
    int danish;
    int russian;
};

// Dialogs whose Russian number does not follow the "+ 50" rule.
constexpr ResourcePair kIrregularPairs[] = {
    {IDD_NOW_PLAYING_FILE, IDD_NOW_PLAYING_FILE_RU},
    {IDD_AUTOMATION, IDD_AUTOMATION_RU},
};

constexpr int kFirstRegularId = 101; // menus 101..105 and dialogs 101..111
constexpr int kLastRegularId = 111;
constexpr int kRegularOffset = 50;

} // namespace

int LocalizedResourceId(int language, int danishId) {
    if (IsDanish(language)) {
        return danishId;
    }
    if (danishId >= kFirstRegularId && danishId <= kLastRegularId) {
        return danishId + kRegularOffset;
    }
    for (const ResourcePair& pair : kIrregularPairs) {
        if (pair.danish == danishId) {
            return pair.russian;
        }
    }
    return danishId;
}

int LocalizedStringId(int language, int danishId) {
    return IsDanish(language) ? danishId : danishId + kRussianStringOffset;
}

} // namespace zeb
