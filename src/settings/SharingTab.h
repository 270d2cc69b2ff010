#pragma once

#include "model/SocialPlatform.h"

#include <QList>
#include <QWidget>

class Preferences;
class QAbstractButton;
class SharingList;

// The settings window's Sharing tab: one row per quick-share platform in the stored order, each
// with its logo, its name and a switch; dragging a row reorders the circles. Every change is
// stored at once; switching a platform off keeps its row.
class SharingTab final : public QWidget {
    Q_OBJECT
public:
    explicit SharingTab(Preferences& prefs, QWidget* parent = nullptr);

    // The rows' platforms, top to bottom.
    QList<SocialPlatform> rowOrder() const;
    QWidget* row(SocialPlatform platform) const;
    QAbstractButton* rowSwitch(SocialPlatform platform) const;

    // The standard collection move: the element at `source` goes before the element that stood
    // at `destination` (the count means the end).
    static QList<SocialPlatform> moved(QList<SocialPlatform> order, int source, int destination);

private:
    Preferences& m_prefs;
    SharingList* m_list;
};
