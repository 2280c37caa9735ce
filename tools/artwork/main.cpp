// shutterhand-artwork: paints every picture that Shutterhand ships and writes it into the checkout.
//
//   shutterhand-artwork [<checkout>]
//
// Without an argument it writes into the checkout it was built from. The pictures are our own
// artwork, drawn here with QPainter; run the program again after changing a painter and commit both.

#include "artwork.h"
#include "bmp_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>
#include <functional>

namespace {

struct Output {
    const char* path;  // relative to the checkout
    std::function<QImage()> paint;
};

bool save(const QImage& image, const QString& fileName)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    if (fileName.endsWith(QLatin1String(".bmp"))) {
        // Readers that ignore the alpha channel show the glyph on a light button face.
        return artwork::writeBmpWithAlpha(image, fileName, qRgb(0xf0, 0xf0, 0xf0));
    }
    QImageWriter writer(fileName);
    if (fileName.endsWith(QLatin1String(".jpg"))) {
        writer.setQuality(95);
        writer.setOptimizedWrite(true);
    }
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "shutterhand-artwork: %s: %s\n", qPrintable(fileName), qPrintable(writer.errorString()));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    // The pictures need fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString checkout = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SHUTTERHAND_CHECKOUT);

    const Output outputs[] = {
        {"src/app/widgets/resources/skin.jpg", artwork::paintSkin},
        {"src/app/widgets/resources/logo.png", artwork::paintLogo},
        {"src/app/widgets/resources/placeholder.jpg", [] { return artwork::paintCameraMotif(QSize(391, 297)); }},
        {"src/app/widgets/resources/battery_0.png", [] { return artwork::paintBattery(0); }},
        {"src/app/widgets/resources/battery_1.png", [] { return artwork::paintBattery(1); }},
        {"src/app/widgets/resources/battery_2.png", [] { return artwork::paintBattery(2); }},
        {"src/app/widgets/resources/battery_3.png", [] { return artwork::paintBattery(3); }},
        {"src/app/widgets/resources/battery_4.png", [] { return artwork::paintBattery(4); }},
        {"src/app/widgets/resources/close.png", artwork::paintCloseMark},
        {"delivery/data/img/shutter_hand.jpg", [] { return artwork::paintCameraMotif(QSize(800, 600)); }},
        {"delivery/data/img/up.bmp", [] { return artwork::paintChevrons(true); }},
        {"delivery/data/img/down.bmp", [] { return artwork::paintChevrons(false); }},
        {"delivery/www/style/titel.jpg", artwork::paintTitleBanner},
    };

    int failures = 0;
    for (const Output& output : outputs) {
        const QString fileName = QDir(checkout).filePath(QString::fromLatin1(output.path));
        if (save(output.paint(), fileName))
            std::printf("wrote %s\n", output.path);
        else
            ++failures;
    }

    // The skin is checked as the program will see it: decoded from the JPEG file, artefacts included.
    if (!artwork::checkSkin(QImage(QDir(checkout).filePath(QStringLiteral("src/app/widgets/resources/skin.jpg"))))) {
        std::fprintf(stderr, "shutterhand-artwork: the skin does not fit the window's layout\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
