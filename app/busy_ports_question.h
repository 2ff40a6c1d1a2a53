#pragma once

class QWidget;

namespace qz7 {

// Before a server starts: when another program holds one of the server's ports here, names the
// ports (and the program, where the system tells) and asks whether to start anyway. True to go
// ahead: the ports are free, or the host said "Да"; busy tells which.
bool startDespiteBusyPorts(QWidget* owner, bool* busy = nullptr);

}  // namespace qz7
