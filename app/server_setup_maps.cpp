// Map catalogue display and rotation editing of the setup window.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/list_selection.h"
#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "maps/map_display.h"
#include "maps/map_picture.h"
#include "maps/map_resources.h"
#include "maps/rotation_editor.h"
#include "platform/windows1251.h"
#include "resources/map_pictures.h"

namespace qz7 {

namespace {

QString fromWindows1251(const std::string& bytes) {
    return QString::fromStdString(utf8FromWindows1251(bytes));
}

std::string toWindows1251(const QString& text) { return windows1251FromUtf8(text.toStdString()); }

QString selectedText(const QListWidget* list) {
    const int row = selectedRow(list);
    return row < 0 ? QString() : list->item(row)->text();
}

// The decoded picture, scaled down in proportion when it is larger than the frame, in the
// frame's device pixels: on a screen of two device pixels a pixel it is drawn from the decoded
// pixels, not enlarged afterwards.
QPixmap pixmapForFrame(const DecodedImage& decoded, const QSize& frame, qreal ratio) {
    const QImage pixels(reinterpret_cast<const uchar*>(decoded.pixels.data()), decoded.width,
                        decoded.height, qsizetype(decoded.width) * 4, QImage::Format_RGB32);
    QSize fitted = pixels.size();
    if (decoded.width > frame.width() || decoded.height > frame.height())
        fitted = fitted.scaled(frame, Qt::KeepAspectRatio);
    const QSize devicePixels = fitted * ratio;
    QPixmap pixmap = QPixmap::fromImage(
        devicePixels == pixels.size()
            ? pixels.copy()
            : pixels.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// Shows a map picture, decoded afresh. A picture that is missing or does not decode leaves the
// frame empty and is reported by the default error handling; the window stays usable.
void showPicture(QLabel* image, const std::string& pictureName) {
    runWithDefaultErrorHandling([&] {
        try {
            const qreal ratio = image->devicePixelRatioF();
            const QSize devicePixels = image->size() * ratio;
            const DecodedImage decoded = LoadJpegResource(
                mapPictures(), pictureName, devicePixels.width(), devicePixels.height());
            image->setPixmap(pixmapForFrame(decoded, image->size(), ratio));
        } catch (...) {
            image->clear();
            throw;
        }
    });
}

void showMapDisplay(TFmQZ7ServerSetup& window, const MapDisplay& display) {
    if (display.name) window.RzLblNameMap->setText(fromWindows1251(*display.name));
    if (display.description) window.RzLabelInfa->setText(fromWindows1251(*display.description));
    if (display.pictureName) showPicture(window.Image1, *display.pictureName);
}

RotationSnapshot readRotationSnapshot(const TFmQZ7ServerSetup& window) {
    return {window.readRotation(), selectedRow(window.RzListBoxMap)};
}

// Writes an edited rotation back without running the list's click handler: only changed texts are
// replaced, and the selection is set by program.
void writeRotationEdit(TFmQZ7ServerSetup& window, const RotationEdit& edit) {
    QListWidget* list = window.RzListBoxMap;
    {
        const QSignalBlocker blocker(list);
        const std::vector<std::string>& items = edit.rotation.items;
        while (list->count() > int(items.size())) delete list->takeItem(list->count() - 1);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const QString text = QString::fromStdString(items[i]);
            if (int(i) >= list->count())
                list->addItem(text);
            else if (list->item(int(i))->text() != text)
                list->item(int(i))->setText(text);
        }
    }
    if (selectedRow(list) != edit.rotation.selected)
        selectRowSilently(list, edit.rotation.selected);
    if (edit.buttons.createFiles) window.RzBitBtnCreateFiles->setEnabled(*edit.buttons.createFiles);
    if (edit.buttons.runServer) window.RzBitBtnRunServer->setEnabled(*edit.buttons.runServer);
}

}  // namespace

void TFmQZ7ServerSetup::loadMapCatalogue() {
    MapDescriptionList.clear();
    MapDescriptionList = LoadTextResource("SPISOK");
    {
        const QSignalBlocker blocker(RzListBoxMapReposit);
        RzListBoxMapReposit->clear();
        for (const std::string& line : MapDescriptionList)
            RzListBoxMapReposit->addItem(fromWindows1251(line));
    }
    MapDescriptionList.clear();
    MapDescriptionList = LoadTextResource("INFA");
    // The first map, after the heading and the blank line.
    selectRowSilently(RzListBoxMapReposit, 2);
    RzListBoxMapRepositClick();
}

void TFmQZ7ServerSetup::RzListBoxMapRepositClick() {
    showMapDisplay(*this, catalogueDisplay(toWindows1251(selectedText(RzListBoxMapReposit)),
                                           MapDescriptionList));
}

// Runs before the key moves the selection: shows the selection of this moment; the move that
// follows shows the new one.
void TFmQZ7ServerSetup::RzListBoxMapRepositKeyDown() { RzListBoxMapRepositClick(); }

void TFmQZ7ServerSetup::RzListBoxMapClick() {
    showMapDisplay(*this,
                   rotationDisplay(toWindows1251(selectedText(RzListBoxMap)), MapDescriptionList));
}

void TFmQZ7ServerSetup::RzBitBtnAddMapClick() {
    writeRotationEdit(*this, addToRotation(readRotationSnapshot(*this),
                                           selectedText(RzListBoxMapReposit).toStdString()));
}

void TFmQZ7ServerSetup::RzBitBtnDelMapClick() {
    writeRotationEdit(*this, removeFromRotation(readRotationSnapshot(*this)));
}

void TFmQZ7ServerSetup::RzBitBtnClearMapClick() {
    writeRotationEdit(*this, clearRotation(readRotationSnapshot(*this)));
}

void TFmQZ7ServerSetup::RzBitBtnListMapUpClick() {
    writeRotationEdit(*this, moveRotationItemUp(readRotationSnapshot(*this)));
}

void TFmQZ7ServerSetup::RzBitBtnListMapDownClick() {
    writeRotationEdit(*this, moveRotationItemDown(readRotationSnapshot(*this)));
}

}  // namespace qz7
