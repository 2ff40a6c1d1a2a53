#pragma once

#include <QApplication>

namespace qz7 {

// The windows are laid out in whole pixels, with fonts sized in pixels and pictures drawn for
// one device pixel a pixel, and the setup window (869 x 756 inside its frame) is taller than a
// 1920 x 1080 screen holds at 150 %. The screen's scale factor is therefore rounded down to a
// whole number: 125 %, 150 % and 175 % draw at 100 %, 200 % to 275 % at 200 %. Every window then
// stays whole on the screens Windows offers those scales for (up to 175 % on 1920 x 1080 and
// 2560 x 1440, 200 % to 275 % on 3840 x 2160), and pictures are enlarged by whole multiples.
// Where the factor rounds down, the screen's dots per inch stay above 96: the styles are told
// 96 (Qt::AA_Use96Dpi), and the windows' fonts are sized in pixels, so that frames, check marks
// and the text in the boxes keep the sizes the fixed layouts were made for.
inline constexpr Qt::HighDpiScaleFactorRoundingPolicy kScaleFactorRoundingPolicy =
    Qt::HighDpiScaleFactorRoundingPolicy::Floor;

// The application object. An exception that escapes an event handler is caught at the event
// boundary and shown by the default error handling; the operation stops, the program goes on.
// The screen's scale factor is rounded by kScaleFactorRoundingPolicy.
class Qz7Application : public QApplication {
  public:
    Qz7Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The application title, also the launch manager's caption and the caption of the plain boxes.
inline const char* const kApplicationTitle = "Менеджер запуска игры Steel Horizon";
QString applicationTitle();

}  // namespace qz7
