#pragma once

// SIGTERM, SIGINT and SIGHUP close the form from the event loop, so the show is torn down (the
// sound device released) and the program ends with status 0, as a host that stops its hacks expects.

class QWidget;

void CloseOnSignals(QWidget* form);
