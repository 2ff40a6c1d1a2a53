#pragma once

#include <QString>
#include <functional>

#include "net/port_mapping.h"

class QWidget;

namespace qz7 {

// The progress line of a port batch: "<action>: <done> из <total>".
QString portBatchProgressText(const QString& action, int done, int total);

// Runs a batch of router port mappings on a worker thread while an application-modal progress
// dialog, owned by owner, counts the mappings. Its "Отмена" button (or Escape) asks the batch to
// stop after the mapping in flight. The window stays painted, and no other handler runs, because
// all input goes to the dialog until the worker has ended. The batch gets a control with the
// progress and the cancel flag filled in. Returns the batch's result; an exception that escapes
// the batch is thrown again here, on the user-interface thread.
PortBatchResult runPortBatchWithProgress(
    QWidget* owner, const QString& action,
    const std::function<PortBatchResult(const PortBatchControl&)>& batch);

}  // namespace qz7
