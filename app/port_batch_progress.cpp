#include "app/port_batch_progress.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>

#include "app/qz7_application.h"
#include "net/port_table.h"

namespace qz7 {

namespace {

// A progress dialog that the frame cannot close: Escape and "Отмена" ask the batch to stop, and
// the dialog stays until the batch has ended.
class PortProgressDialog final : public QProgressDialog {
  public:
    explicit PortProgressDialog(QWidget* owner) : QProgressDialog(owner) {
        // QProgressDialog resets and hides itself on cancel; here the batch decides when it ends.
        // (QProgressDialog makes that connection by name, so it is undone by name.)
        disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
    }

  protected:
    void reject() override { emit canceled(); }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
    bool event(QEvent* event) override {
        // Escape reaches reject() as in every dialog, rather than the progress dialog's own
        // shortcut, which would reset and hide it.
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
            event->accept();
            return true;
        }
        return QProgressDialog::event(event);
    }
};

}  // namespace

QString portBatchProgressText(const QString& action, int done, int total) {
    return QStringLiteral("%1: %2 из %3").arg(action).arg(done).arg(total);
}

PortBatchResult runPortBatchWithProgress(
    QWidget* owner, const QString& action,
    const std::function<PortBatchResult(const PortBatchControl&)>& batch) {
    PortProgressDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("PortProgressDialog"));
    dialog.setWindowTitle(applicationTitle());
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* cancelButton = new QPushButton(QStringLiteral("Отмена"), &dialog);
    cancelButton->setObjectName(QStringLiteral("PortProgressCancel"));
    dialog.setCancelButton(cancelButton);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, kServerPortCount);

    std::atomic<bool> cancelRequested = false;
    QString stopping;  // shown after the count once the user has cancelled
    int shownDone = 0;
    auto showProgress = [&dialog, &stopping, &shownDone, action](int done, int total) {
        shownDone = done;
        dialog.setLabelText(portBatchProgressText(action, done, total) + stopping);
        dialog.setValue(done);
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        if (cancelRequested.exchange(true)) return;
        cancelButton->setEnabled(false);
        stopping = QStringLiteral("\nОтмена: ждём ответа роутера на текущий порт…");
        showProgress(shownDone, kServerPortCount);
    });
    showProgress(0, kServerPortCount);
    dialog.show();

    PortBatchResult result;
    std::exception_ptr failure;
    PortBatchControl control;
    control.cancelRequested = &cancelRequested;
    control.progress = [&dialog, showProgress](int done, int total) {
        // Queued to the dialog's thread; dropped if the dialog is already gone.
        QMetaObject::invokeMethod(
            &dialog, [showProgress, done, total] { showProgress(done, total); },
            Qt::QueuedConnection);
    };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = batch(control);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    dialog.hide();

    if (failure) std::rethrow_exception(failure);
    return result;
}

}  // namespace qz7
