#pragma once
// What a screen reader (Orca, through AT-SPI) is told about the window's own
// controls where Qt's defaults fall short: a label that acts on a click is a
// button with a press action, and the volume slider's value reads as the
// percentage shown beside it.
class QAccessibleInterface;
class QObject;
class QString;

namespace orvik {

// Registers the interfaces below with Qt's accessibility; the widgets that
// need them call it when they are made. Safe to call any number of times.
void InstallAccessibleInterfaces();

}  // namespace orvik
