#pragma once

#include <QWidget>

class CenteredText;

// A page's title over its subtitle, both centred; the subtitle wraps at 480 points. Texts are
// shown as given.
class BrandHeadline : public QWidget {
    Q_OBJECT
public:
    BrandHeadline(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    CenteredText* title() const { return m_title; }
    CenteredText* subtitle() const { return m_subtitle; }

    // The title face shared with the welcome page: 40 points bold, tracked in by half a point.
    static QFont titleFont();

private:
    CenteredText* m_title;
    CenteredText* m_subtitle;
};
