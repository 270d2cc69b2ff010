#pragma once

#include <QWidget>

// The settings window's Account tab: the application's badge, name, privacy line and version.
class AccountTab final : public QWidget {
    Q_OBJECT
public:
    explicit AccountTab(QWidget* parent = nullptr);
};
