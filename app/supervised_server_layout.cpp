// Creation, placement and look of the controls of "Сервер под присмотром": the state with its
// buttons at the top, the latest events under it, the settings at the bottom. The window is
// 640 x 874 and fixed.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "app/named_controls.h"
#include "app/supervised_server_window.h"
#include "app/window_fonts.h"
#include "app/window_frames.h"
#include "app/window_look.h"
#include "server/folder_alerts.h"
#include "server/serve_settings.h"
#include "settings/kept_versions.h"

namespace qz7 {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 874;
constexpr int kMargin = 12;
constexpr int kInner = kWidth - 2 * kMargin;
// The settings' captions stand in a column at the left, their controls after it.
constexpr int kCaptionWidth = 172;
constexpr int kControlLeft = 10 + kCaptionWidth + 4;

QLabel* caption(QWidget* parent, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QLabel* hint(QWidget* parent, const QString& text, QRect geometry) {
    QLabel* label = caption(parent, text, geometry);
    label->setProperty("qz7role", "hint");
    return label;
}

}  // namespace

void TFmQZ7Prismotr::createStateControls() {
    RzGroupBoxServeState =
        named(new QGroupBox(QStringLiteral("Состояние"), this), "RzGroupBoxServeState");
    RzGroupBoxServeState->setGeometry(kMargin, 6, kInner, 294);
    RzLabelServeState = named(new QLabel(RzGroupBoxServeState), "RzLabelServeState");
    RzLabelServeState->setGeometry(10, 20, kInner - 20, 196);
    RzLabelServeState->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    RzLabelServeState->setWordWrap(true);
    RzLabelServeState->setTextFormat(Qt::PlainText);
    RzLabelServeState->setTextInteractionFlags(Qt::TextSelectableByMouse);

    RzBitBtnServeStart = commandButton(RzGroupBoxServeState, QStringLiteral("Запустить"),
                                       "RzBitBtnServeStart", {10, 220, 170, 30});
    RzBitBtnServeStart->setToolTip(
        QStringLiteral("Запустить qz7ctl serve с шаблоном, выбранным в окне настройки, по "
                       "сохранённым настройкам"));
    RzBitBtnServeRestart =
        commandButton(RzGroupBoxServeState, QStringLiteral("Перезапустить сейчас"),
                      "RzBitBtnServeRestart", {188, 220, 220, 30});
    RzBitBtnServeRestart->setToolTip(
        QStringLiteral("Перезапустить сервер сейчас, как по расписанию: шаблон читается заново"));
    RzBitBtnServeStop = commandButton(RzGroupBoxServeState, QStringLiteral("Остановить"),
                                      "RzBitBtnServeStop", {416, 220, kInner - 426, 30});
    RzBitBtnServeStop->setToolTip(
        QStringLiteral("Остановить сервер и qz7ctl serve, как Ctrl+C, и дождаться конца"));

    RzProgressServe = named(new QProgressBar(RzGroupBoxServeState), "RzProgressServe");
    RzProgressServe->setGeometry(10, 262, 120, 18);
    RzProgressServe->setRange(0, 0);  // busy: how long the wait takes is not known
    RzProgressServe->setTextVisible(false);
    RzProgressServe->hide();
    RzLabelServeProgress = named(new QLabel(RzGroupBoxServeState), "RzLabelServeProgress");
    RzLabelServeProgress->setGeometry(136, 256, kInner - 146, 32);
    RzLabelServeProgress->setWordWrap(true);
    RzLabelServeProgress->setTextFormat(Qt::PlainText);

    RzGroupBoxServeLog =
        named(new QGroupBox(QStringLiteral("Последние события"), this), "RzGroupBoxServeLog");
    RzGroupBoxServeLog->setGeometry(kMargin, 306, kInner, 140);
    RzMemoServeLog = named(new QPlainTextEdit(RzGroupBoxServeLog), "RzMemoServeLog");
    RzMemoServeLog->setGeometry(10, 20, kInner - 20, 112);
    RzMemoServeLog->setReadOnly(true);
    RzMemoServeLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    RzMemoServeLog->setMaximumBlockCount(200);
    RzMemoServeLog->setTabChangesFocus(true);
}

void TFmQZ7Prismotr::createSettingsControls() {
    RzGroupBoxServeSettings =
        named(new QGroupBox(QStringLiteral("Настройки"), this), "RzGroupBoxServeSettings");
    RzGroupBoxServeSettings->setToolTip(
        QStringLiteral("%1 и %2 в папке игры")
            .arg(QLatin1String(kServeSettingsFile), QLatin1String(kServeAlertsFile)));
    RzGroupBoxServeSettings->setGeometry(kMargin, 452, kInner, 372);
    QGroupBox* box = RzGroupBoxServeSettings;
    const int controlWidth = kInner - 10 - kControlLeft;

    caption(box, QStringLiteral("Шаблон:"), {10, 20, kCaptionWidth, 22});
    RzLabelServeTemplate = named(new QLabel(box), "RzLabelServeTemplate");
    RzLabelServeTemplate->setGeometry(kControlLeft, 20, controlWidth, 22);
    RzLabelServeTemplate->setTextFormat(Qt::PlainText);

    caption(box, QStringLiteral("Перезапуск в:"), {10, 46, kCaptionWidth, 22});
    RzEditRestartAt = named(new QLineEdit(box), "RzEditRestartAt");
    RzEditRestartAt->setGeometry(kControlLeft, 46, 150, 22);
    RzEditRestartAt->setPlaceholderText(QStringLiteral("04:00,16:00"));
    hint(box, QStringLiteral("местное время ЧЧ:ММ, через запятую"),
         {kControlLeft + 156, 46, controlWidth - 156, 22});

    caption(box, QStringLiteral("Перезапуск каждые:"), {10, 72, kCaptionWidth, 22});
    RzEditRestartEvery = named(new QLineEdit(box), "RzEditRestartEvery");
    RzEditRestartEvery->setGeometry(kControlLeft, 72, 150, 22);
    RzEditRestartEvery->setPlaceholderText(QStringLiteral("6h"));
    hint(box, QStringLiteral("после запуска сервера: 90s, 30m, 6h"),
         {kControlLeft + 156, 72, controlWidth - 156, 22});

    caption(box, QStringLiteral("Сервер завершился сам:"), {10, 98, kCaptionWidth, 22});
    RzComboBoxCleanExit = named(new QComboBox(box), "RzComboBoxCleanExit");
    RzComboBoxCleanExit->addItem(QStringLiteral("остановить serve"), QStringLiteral("stop"));
    RzComboBoxCleanExit->addItem(QStringLiteral("перезапустить сервер"), QStringLiteral("restart"));
    RzComboBoxCleanExit->setGeometry(kControlLeft, 98, 200, 22);

    RzCheckBoxServePorts = named(
        new QCheckBox(QStringLiteral("Пробрасывать порты на роутере, пока работает сервер"), box),
        "RzCheckBoxServePorts");
    RzCheckBoxServePorts->setGeometry(10, 124, kInner - 20, 22);

    caption(box, QStringLiteral("Адреса оповещений:"), {10, 152, kCaptionWidth, 22});
    constexpr int kAlertWidth = 270;
    constexpr int kAlertButtonsLeft = kControlLeft + kAlertWidth + 6;
    const int alertButtonWidth = kInner - 10 - kAlertButtonsLeft;
    RzListBoxAlerts = named(new QListWidget(box), "RzListBoxAlerts");
    RzListBoxAlerts->setGeometry(kControlLeft, 152, kAlertWidth, 58);
    RzListBoxAlerts->setToolTip(
        QStringLiteral("Адрес — секрет: показаны только его схема, узел и порт. Файл %1 может "
                       "читать только владелец.")
            .arg(QString::fromLatin1(kServeAlertsFile)));
    RzBitBtnAlertDel = commandButton(box, QStringLiteral("Удалить"), "RzBitBtnAlertDel",
                                     {kAlertButtonsLeft, 152, alertButtonWidth, 27});
    RzBitBtnAlertCheck = commandButton(box, QStringLiteral("Проверить"), "RzBitBtnAlertCheck",
                                       {kAlertButtonsLeft, 183, alertButtonWidth, 27});
    RzBitBtnAlertCheck->setToolTip(
        QStringLiteral("Отправить пробное оповещение на выбранный (или введённый) адрес и "
                       "сказать, дошло ли оно"));
    RzEditAlert = named(new QLineEdit(box), "RzEditAlert");
    RzEditAlert->setGeometry(kControlLeft, 216, kAlertWidth, 24);
    RzEditAlert->setPlaceholderText(QStringLiteral("https://discord.com/api/webhooks/…"));
    RzBitBtnAlertAdd = commandButton(box, QStringLiteral("Добавить"), "RzBitBtnAlertAdd",
                                     {kAlertButtonsLeft, 214, alertButtonWidth, 27});
    RzLabelAlertCheck = named(new QLabel(box), "RzLabelAlertCheck");
    RzLabelAlertCheck->setGeometry(kControlLeft, 244, controlWidth, 22);
    RzLabelAlertCheck->setTextFormat(Qt::PlainText);

    RzBitBtnServeSave = commandButton(box, QStringLiteral("Сохранить настройки"),
                                      "RzBitBtnServeSave", {10, 270, kCaptionWidth, 28});
    RzBitBtnServeRestore = commandButton(box, QStringLiteral("Вернуть настройки…"),
                                         "RzBitBtnServeRestore", {kControlLeft, 270, 176, 28});
    RzBitBtnServeRestore->setToolTip(
        QStringLiteral("Сохранённые версии настроек и адресов оповещений (папка %1)")
            .arg(QString::fromLatin1(kKeptVersionsFolder)));
    RzLabelSettingsState = named(new QLabel(box), "RzLabelSettingsState");
    RzLabelSettingsState->setGeometry(kControlLeft + 182, 270, controlWidth - 182, 28);
    RzLabelSettingsState->setWordWrap(true);
    RzLabelSettingsState->setTextFormat(Qt::PlainText);

    RzCheckBoxService = named(new QCheckBox(box), "RzCheckBoxService");
    RzCheckBoxService->setGeometry(10, 302, kInner - 20, 22);
    RzLabelServiceReport = named(new QLabel(box), "RzLabelServiceReport");
    RzLabelServiceReport->setGeometry(10, 324, kInner - 20, 42);
    RzLabelServiceReport->setWordWrap(true);
    RzLabelServiceReport->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    RzLabelServiceReport->setTextFormat(Qt::PlainText);
    RzLabelServiceReport->setTextInteractionFlags(Qt::TextSelectableByMouse);

    RzBitBtnServeClose = commandButton(this, QStringLiteral("Закрыть"), "RzBitBtnServeClose",
                                       {kWidth - kMargin - 150, kHeight - 42, 150, 32});

    // Keyboard order: top to bottom, as the controls stand.
    QWidget* order[] = {RzBitBtnServeStart,  RzBitBtnServeRestart, RzBitBtnServeStop,
                        RzMemoServeLog,      RzEditRestartAt,      RzEditRestartEvery,
                        RzComboBoxCleanExit, RzCheckBoxServePorts, RzListBoxAlerts,
                        RzBitBtnAlertDel,    RzBitBtnAlertCheck,   RzEditAlert,
                        RzBitBtnAlertAdd,    RzBitBtnServeSave,    RzBitBtnServeRestore,
                        RzCheckBoxService,   RzBitBtnServeClose};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TFmQZ7Prismotr::applyAppearance() {
    setWindowTitle(QStringLiteral("Сервер под присмотром"));
    setWindowFlags(kFixedSingleFrame);
    setFixedSize(kWidth, kHeight);
    setFont(windowDefaultFont());
    // This window is worked by keyboard as much as by mouse: the button that Space presses shows
    // it with a pale blue face.
    applyWorkingWindowLook(*this,
                           "QPushButton[qz7role=\"command\"]:focus {"
                           " background-color: rgb(214, 230, 250); }");
    const QFont headingFont = tahomaFont(13, true);
    for (QGroupBox* group : findChildren<QGroupBox*>()) group->setFont(headingFont);
    // The group's title font is not its controls' font.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child) != nullptr) continue;
        const QVariant role = child->property("qz7role");
        child->setFont(role == QLatin1String("command") ? headingFont : windowDefaultFont());
        if (role == QLatin1String("hint")) {
            QPalette palette = child->palette();
            palette.setColor(QPalette::WindowText, QColor(90, 70, 40));
            child->setPalette(palette);
        }
    }
    RzLabelServeState->setFont(arialFont(12, false));
    RzMemoServeLog->setFont(arialFont(12, false));

    // Centred on the desktop, kept on it when the desktop is smaller than the window.
    if (QScreen* screen = this->screen()) {
        const QRect desktop = screen->availableGeometry();
        move(std::max(desktop.left(), desktop.center().x() - width() / 2),
             std::max(desktop.top(), desktop.center().y() - height() / 2));
    }
}

}  // namespace qz7
