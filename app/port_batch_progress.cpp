#include "app/port_batch_progress.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <exception>
#include <memory>

#include "app/qz7_application.h"
#include "net/port_table.h"

namespace qz7 {

namespace {

// A progress dialog that cannot be dismissed: the batch always runs to its end.
class PortProgressDialog final : public QProgressDialog {
  public:
    explicit PortProgressDialog(QWidget* owner) : QProgressDialog(owner) {}

  protected:
    void reject() override {}
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

QString portBatchProgressText(const QString& action, int done, int total) {
    return QStringLiteral("%1: %2 из %3").arg(action).arg(done).arg(total);
}

bool runPortBatchWithProgress(QWidget* owner, const QString& action,
                              const std::function<bool(const PortBatchProgress&)>& batch) {
    PortProgressDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("PortProgressDialog"));
    dialog.setWindowTitle(applicationTitle());
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setCancelButton(nullptr);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, kServerPortCount);
    auto showProgress = [&dialog, action](int done, int total) {
        dialog.setLabelText(portBatchProgressText(action, done, total));
        dialog.setValue(done);
    };
    showProgress(0, kServerPortCount);
    dialog.show();

    bool result = false;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = batch([&dialog, showProgress](int done, int total) {
                // Queued to the dialog's thread; dropped if the dialog is already gone.
                QMetaObject::invokeMethod(
                    &dialog, [showProgress, done, total] { showProgress(done, total); },
                    Qt::QueuedConnection);
            });
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
