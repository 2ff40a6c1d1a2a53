#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QtTest>
#include <memory>
#include <span>

#include "app/list_selection.h"
#include "app/qz7_application.h"
#include "maps/jpeg_decoder.h"
#include "platform/resource_table.h"
#include "resources/map_pictures.h"
#include "support/list_clicks.h"
#include "support/shown_setup_window.h"

using namespace qz7;
using qz7::testing::clickRow;

namespace {

// The map's picture as a reference: decoded by Qt's own JPEG reader where Qt has one, so that
// the check is independent of the program's decoder. Our Qt for Windows is built without image
// format plugins; there the program's decoder at full size stands in (what is checked here is
// which map's picture is shown; the decoder itself is checked against hand-made pictures by the
// core tests on both systems).
QImage referencePicture(const char* name) {
    const auto bytes = findResource(mapPictures(), "JPEG", name);
    if (!bytes) return {};
    if (QImageReader::supportedImageFormats().contains("jpeg"))
        return QImage::fromData(bytes->data(), int(bytes->size()), "JPEG");
    const DecodedImage decoded =
        decodeJpeg(std::span(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()),
                   1 << 16, 1 << 16);
    return QImage(reinterpret_cast<const uchar*>(decoded.pixels.data()), decoded.width,
                  decoded.height, QImage::Format_RGB32)
        .copy();
}

// Mean absolute difference per channel between the shown picture and a reference scaled to it.
double pictureDistance(const QLabel* image, const QImage& reference) {
    const QImage shown = image->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected =
        reference.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = expected.pixel(x, y);
            total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                     std::abs(qBlue(a) - qBlue(b));
        }
    return total / (3.0 * shown.width() * shown.height());
}

bool shows(const QLabel* image, const char* pictureName) {
    if (image->pixmap().isNull()) return false;
    return pictureDistance(image, referencePicture(pictureName)) < 8.0;
}

struct ShownMap {
    QString name;
    QString description;
    qint64 picture;

    bool operator==(const ShownMap&) const = default;
};

ShownMap shownMap(const TFmQZ7ServerSetup& window) {
    return {window.RzLblNameMap->text(), window.RzLabelInfa->text(),
            window.Image1->pixmap().cacheKey()};
}

const QString kSeatownDescription = QStringLiteral(" Город Босасо, Сомали") + QString(10, ' ');

}  // namespace

class MapCatalogueTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ShownSetupWindow> fixture;
    TFmQZ7ServerSetup* window = nullptr;
    testing::RecordingMessageBoxes* boxes = nullptr;

  private slots:
    void init() {
        fixture = std::make_unique<testing::ShownSetupWindow>();
        window = &fixture->window;
        boxes = &fixture->boxes;
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup() { fixture.reset(); }

    void opensOnLockdownWithItsDescriptionAndPicture() {
        QListWidget* catalogue = window->RzListBoxMapReposit;
        QCOMPARE(catalogue->count(), 44);
        QCOMPARE(catalogue->item(0)->text(), QStringLiteral("===Стандартные карты===="));
        QCOMPARE(catalogue->item(43)->text(), QStringLiteral("mp_six_ss - Vortex"));
        QCOMPARE(catalogue->currentRow(), 2);
        QVERIFY(catalogue->item(2)->isSelected());
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Lockdown"));
        QCOMPARE(window->RzLabelInfa->text(), QStringLiteral(" Разрушенная Прага, Чехия"));
        QVERIFY(shows(window->Image1, "MP_ALPHA"));
        QVERIFY(!shows(window->Image1, "MP_SEATOWN"));
        // Scaled down in proportion into the 401 x 226 frame.
        const QSize shown = window->Image1->pixmap().size();
        QVERIFY(shown.width() <= 401 && shown.height() <= 226);
        QVERIFY(shown.width() >= 399 || shown.height() == 226);
        QVERIFY(boxes->shown.isEmpty());
    }

    void seatownKeepsItsTrailingBlanks() {
        clickRow(window->RzListBoxMapReposit, 14);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Seatown"));
        QCOMPARE(window->RzLabelInfa->text(), kSeatownDescription);
        QVERIFY(shows(window->Image1, "MP_SEATOWN"));
    }

    void headersEmptyTheNameShowTheirLineAndKeepThePicture() {
        clickRow(window->RzListBoxMapReposit, 14);
        const qint64 seatownPicture = window->Image1->pixmap().cacheKey();

        clickRow(window->RzListBoxMapReposit, 0);
        QCOMPARE(window->RzLblNameMap->text(), QString());
        QCOMPARE(window->RzLabelInfa->text(),
                 QStringLiteral("==Стандартные карты====") + QString(7, ' '));
        QCOMPARE(window->Image1->pixmap().cacheKey(), seatownPicture);

        clickRow(window->RzListBoxMapReposit, 19);
        QCOMPARE(window->RzLblNameMap->text(), QString());
        QCOMPARE(window->RzLabelInfa->text(),
                 QStringLiteral("======Dlc=========") + QString(12, ' '));

        clickRow(window->RzListBoxMapReposit, 35);
        QCOMPARE(window->RzLblNameMap->text(), QString());
        QCOMPARE(window->RzLabelInfa->text(), QStringLiteral("ff Maps===") + QString(11, ' '));
        QCOMPARE(window->Image1->pixmap().cacheKey(), seatownPicture);
        QVERIFY(shows(window->Image1, "MP_SEATOWN"));
    }

    void blankLineOrNoSelectionChangesNothing() {
        const ShownMap before = shownMap(*window);
        for (int blank : {1, 18, 20, 34, 36}) {
            clickRow(window->RzListBoxMapReposit, blank);
            QCOMPARE(window->RzListBoxMapReposit->currentRow(), blank);
            QVERIFY(shownMap(*window) == before);
        }
        selectRowSilently(window->RzListBoxMapReposit, -1);
        window->RzListBoxMapRepositClick();
        QVERIFY(shownMap(*window) == before);
    }

    void arrowKeysMoveTheDisplayOverHeadersAndBlanks() {
        QListWidget* catalogue = window->RzListBoxMapReposit;
        catalogue->setFocus();
        QTest::keyClick(catalogue, Qt::Key_Down);
        QCOMPARE(catalogue->currentRow(), 3);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Bootleg"));
        QVERIFY(shows(window->Image1, "MP_BOOTLEG"));
        QTest::keyClick(catalogue, Qt::Key_Up);
        QTest::keyClick(catalogue, Qt::Key_Up);  // onto the blank line: Lockdown stays
        QCOMPARE(catalogue->currentRow(), 1);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Lockdown"));
        QTest::keyClick(catalogue, Qt::Key_Up);  // onto the header
        QCOMPARE(window->RzLblNameMap->text(), QString());
        QVERIFY(window->RzLabelInfa->text().startsWith(QStringLiteral("==Стандартные")));
        QVERIFY(shows(window->Image1, "MP_ALPHA"));
        QTest::keyClick(catalogue, Qt::Key_End);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Vortex"));
        QVERIFY(shows(window->Image1, "MP_SIX_SS"));
    }

    void aKeyShowsTheCatalogueSelectionBeforeItTakesEffect() {
        window->RzListBoxMap->addItem(QStringLiteral("mp_dome"));
        clickRow(window->RzListBoxMap, 0);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Dome"));
        // A key that moves nothing still shows the catalogue's selection, Lockdown.
        QTest::keyClick(window->RzListBoxMapReposit, Qt::Key_Shift);
        QCOMPARE(window->RzListBoxMapReposit->currentRow(), 2);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Lockdown"));
        QVERIFY(shows(window->Image1, "MP_ALPHA"));
    }

    void rotationItemShowsWhatItsCatalogueLineShows() {
        for (int row : {6, 14, 24, 42}) {
            clickRow(window->RzListBoxMapReposit, row);
            const ShownMap fromCatalogue = shownMap(*window);
            const QString line = window->RzListBoxMapReposit->item(row)->text();
            clickRow(window->RzListBoxMapReposit, 0);  // show something else in between
            window->RzListBoxMap->clear();
            window->RzListBoxMap->addItem(line.section(' ', 0, 0));
            clickRow(window->RzListBoxMap, 0);
            QCOMPARE(window->RzLblNameMap->text(), fromCatalogue.name);
            QCOMPARE(window->RzLabelInfa->text(), fromCatalogue.description);
            QVERIFY(
                shows(window->Image1, line.section(' ', 0, 0).toUpper().toLatin1().constData()));
        }
    }

    void unknownRotationItemClearsThePictureAndTheWindowStaysUsable() {
        const QString name = window->RzLblNameMap->text();
        const QString description = window->RzLabelInfa->text();
        window->RzListBoxMap->addItem(QStringLiteral("mp_nowhere"));
        clickRow(window->RzListBoxMap, 0);
        QVERIFY(window->Image1->pixmap().isNull());
        QCOMPARE(window->RzLblNameMap->text(), name);
        QCOMPARE(window->RzLabelInfa->text(), description);
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(boxes->shown.first().startsWith(QStringLiteral("application: ")));
        QVERIFY(boxes->shown.first().contains(QStringLiteral("mp_nowhere")));

        clickRow(window->RzListBoxMapReposit, 3);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Bootleg"));
        QVERIFY(shows(window->Image1, "MP_BOOTLEG"));
        QCOMPARE(boxes->shown.size(), 1);
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    MapCatalogueTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "map_catalogue_test.moc"
