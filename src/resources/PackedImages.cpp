#include "resources/PackedImages.h"

namespace zeb {

// Written at build time by the image packer.
extern const PackedImage kPackedImages[];
extern const int kPackedImageCount;

const PackedImage* FindPackedImage(std::string_view path) {
    for (int i = 0; i < kPackedImageCount; ++i) {
        if (path == kPackedImages[i].path)
            return &kPackedImages[i];
    }
    return nullptr;
}

} // namespace zeb
