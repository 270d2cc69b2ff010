#pragma once

#include <QList>
#include <QWidget>

class Inspector;
class InspectorCheckbox;
class InspectorChip;
class LumaSegmented;

// "Aspect & size": the title with "Balance", the six plain ratios and the eight social formats
// (two rows of four chips). A format selects its chip and no ratio segment.
class InspectorAspectSection : public QWidget {
    Q_OBJECT
public:
    InspectorAspectSection(Inspector& inspector, QWidget* parent = nullptr);

    InspectorCheckbox* balanceToggle() const { return m_balance; }
    LumaSegmented* ratioPicker() const { return m_ratio; }
    // In format order: X, Facebook, Instagram, LinkedIn, Youtube, Pinterest, Reddit, Snapchat.
    const QList<InspectorChip*>& formatChips() const { return m_chips; }

    void refresh();

private:
    Inspector& m_inspector;
    InspectorCheckbox* m_balance;
    LumaSegmented* m_ratio;
    QList<InspectorChip*> m_chips;
};
