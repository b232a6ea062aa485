#include "shell/ShuffleTable.h"

#include "platform/RandomGenerator.h"

#include <numeric>
#include <utility>

namespace zeb {

ShuffleTable::ShuffleTable() {
    std::iota(table_.begin(), table_.end(), 0);
}

ShuffleTable::ShuffleTable(RandomGenerator& random) : ShuffleTable() {
    for (int n = 0; n < kSwaps; ++n) {
        int i = random.Index(kSize);
        int j = random.Index(kSize);
        std::swap(table_[static_cast<size_t>(i)], table_[static_cast<size_t>(j)]);
    }
}

} // namespace zeb
