// Build tool: writes the pixels of PNG images as C++ arrays, the table that
// FindPackedImage searches.
//
//   zeb_image_packer <output.cpp> <image folder> <name.png>...
//
// Each image is known by ":/images/<name.png>", its path in the resources.
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool WritePixels(std::ostream& out, const QImage& image, int index) {
    out << "const std::uint32_t kPixels" << index << "[] = {";
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((y * image.width() + x) % 8 == 0)
                out << "\n   ";
            char value[16];
            std::snprintf(value, sizeof value, " 0x%08xu,", line[x]);
            out << value;
        }
    }
    out << "\n};\n";
    return out.good();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output.cpp> <image folder> <name.png>...\n", argv[0]);
        return 2;
    }
    std::ostringstream arrays;
    std::ostringstream table;
    const QString folder = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        QImageReader reader(folder + '/' + QString::fromLocal8Bit(argv[i]), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage read = reader.read();
        if (read.isNull()) {
            std::fprintf(stderr, "%s: %s\n", argv[i], qPrintable(reader.errorString()));
            return 1;
        }
        const bool alpha = read.hasAlphaChannel();
        const QImage image =
            read.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        WritePixels(arrays, image, i);
        table << "    {\":/images/" << argv[i] << "\", " << image.width() << ", " << image.height()
              << ", " << (alpha ? "true" : "false") << ", kPixels" << i << "},\n";
    }
    std::ofstream out(argv[1]);
    out << "// Written by the image packer; do not edit.\n"
           "#include \"resources/PackedImages.h\"\n\n"
           "namespace zeb {\n\nnamespace {\n\n"
        << arrays.str() << "\n} // namespace\n\nextern const PackedImage kPackedImages[] = {\n"
        << table.str() << "};\nextern const int kPackedImageCount = " << (argc - 3)
        << ";\n\n} // namespace zeb\n";
    out.close();
    return out.good() ? 0 : 1;
}
