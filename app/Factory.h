#pragma once
// The factories that turn file names, positions and a few style choices into the
// finished elements of the main window and the dialog.
#include <string>

class TMainForm;
class TsTrayIcon;

// The notification-area entry (id 1, callback 1114, tip "Pellon"), owned by the form.
TsTrayIcon* MakeTrayIcon(TMainForm* form);
