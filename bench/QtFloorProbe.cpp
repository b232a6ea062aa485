// What Qt alone holds: a program that shows one 22-pixel window painting the
// player's built-in "stopped" icon, read from the same resources as the
// player reads it, and then waits. The process bench measures its resident
// memory beside the player's, as the floor under the player's figure.
#include "resources/ImageNames.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QWidget>

namespace {

class IconWindow : public QWidget {
public:
    explicit IconWindow(QImage image) : image_(std::move(image)) {
        setWindowTitle("zeb-qt-floor");
        resize(22, 22);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QImageReader reader(QString::fromLatin1(zeb::ImagePath(zeb::IconId::Stopped, 22)), "png");
    reader.setAutoDetectImageFormat(false);
    IconWindow window(reader.read());
    window.show();
    return app.exec();
}
