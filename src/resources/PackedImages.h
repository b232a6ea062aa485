// The built-in PNG images, decoded when the program is built: the program
// shows its icons without loading the PNG decoder, which would otherwise be
// paged in at every start for a handful of small pictures.
#pragma once

#include <cstdint>
#include <string_view>

namespace zeb {

struct PackedImage {
    const char* path; // the image's resource path, as ImagePath gives it
    int width;
    int height;
    bool hasAlpha;
    const std::uint32_t* pixels; // width * height values 0xAARRGGBB, row by row
};

// The packed image of a resource path; null for a path that is not packed.
const PackedImage* FindPackedImage(std::string_view path);

} // namespace zeb
