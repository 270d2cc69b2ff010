#pragma once

#include <QWidget>

#include <functional>

// The first-run onboarding. Its one output is the completion binding: it calls `complete` when
// the user finishes the last step. (The full flow of pages arrives later; this page stands in
// with the same input and output.)
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    explicit OnboardingView(std::function<void()> complete, QWidget* parent = nullptr);

private:
    std::function<void()> m_complete;
};
