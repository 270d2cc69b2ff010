#include "inspector/InspectorLayout.h"

#include "ui/LumaSlider.h"

#include <QVBoxLayout>
#include <QWidgetItem>

#include <memory>

namespace {
// Holds one widget and gives it the space it is given plus the bleed on both sides (a layout's
// own margins cannot be negative).
class BleedLayout final : public QLayout {
public:
    explicit BleedLayout(QWidget* widget)
        : m_item(std::make_unique<QWidgetItem>(widget))
    {
        setContentsMargins(0, 0, 0, 0);
    }

    void addItem(QLayoutItem*) override { }
    int count() const override { return m_item ? 1 : 0; }
    QLayoutItem* itemAt(int index) const override { return index == 0 ? m_item.get() : nullptr; }
    QLayoutItem* takeAt(int index) override { return index == 0 ? m_item.release() : nullptr; }
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    QSize sizeHint() const override { return narrowed(m_item ? m_item->sizeHint() : QSize()); }
    QSize minimumSize() const override { return narrowed(m_item ? m_item->minimumSize() : QSize()); }
    bool hasHeightForWidth() const override { return m_item && m_item->hasHeightForWidth(); }
    int heightForWidth(int width) const override { return m_item ? m_item->heightForWidth(width + 2 * bleed()) : -1; }

    void setGeometry(const QRect& rect) override
    {
        QLayout::setGeometry(rect);
        if (m_item)
            m_item->setGeometry(rect.adjusted(-bleed(), 0, bleed(), 0));
    }

private:
    static int bleed() { return InspectorLayout::bleed(); }
    static QSize narrowed(QSize size) { return size.isValid() ? QSize(std::max(0, size.width() - 2 * bleed()), size.height()) : size; }

    std::unique_ptr<QLayoutItem> m_item;
};
}

namespace InspectorLayout {

int bleed()
{
    return LumaSlider::overhang().left();
}

QVBoxLayout* sectionLayout(QWidget* section, int spacing)
{
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(bleed(), 0, bleed(), 0);
    layout->setSpacing(spacing);
    return layout;
}

void addFullWidth(QVBoxLayout* layout, QWidget* widget)
{
    auto* wide = new BleedLayout(widget);
    layout->addLayout(wide);
    // The parent layout adopted the sub-layout; the widget must belong to the layout's widget.
    if (QWidget* owner = layout->parentWidget(); owner && widget->parentWidget() != owner)
        widget->setParent(owner);
}

}
