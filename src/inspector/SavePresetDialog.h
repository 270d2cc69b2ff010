#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Save preset": a message, the name field and Save / Cancel. It only collects the name; the
// inspector decides what saving means. Opened window-modal without blocking the caller.
class SavePresetDialog : public QDialog {
    Q_OBJECT
public:
    explicit SavePresetDialog(QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLineEdit* m_name;
    QPushButton* m_save;
    QPushButton* m_cancel;
};
