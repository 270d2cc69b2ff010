#pragma once

#include <QWidget>

// The first onboarding page: "Snap it." and the desktop's screenshot key as large key caps.
class CaptureStep : public QWidget {
    Q_OBJECT
public:
    explicit CaptureStep(QWidget* parent = nullptr);
};
