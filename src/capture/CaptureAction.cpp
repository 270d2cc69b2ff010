#include "capture/CaptureAction.h"

#include <QCoreApplication>

QString captureActionTitle(CaptureAction action)
{
    switch (action) {
    case CaptureAction::selection:
        return QCoreApplication::translate("CaptureAction", "Capture selection");
    case CaptureAction::window:
        return QCoreApplication::translate("CaptureAction", "Capture a window");
    case CaptureAction::fullScreen:
        break;
    }
    return QCoreApplication::translate("CaptureAction", "Capture full screen");
}
