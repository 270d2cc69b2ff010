#pragma once

#include "model/SocialPlatform.h"
#include "ui/Spring.h"

#include <QList>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <optional>

class NotchController;
class NotchEditChip;
class NotchIconButton;
class NotchRedactionDetail;
class NotchRedactionPill;
class NotchRevealEffect;
class NotchShareCircle;
class NotchStyleStrip;
class NotchThumbnail;

// The card that hangs from the top edge: header row (image, status texts, actions), the
// redaction pill, and the style strip while the pointer rests on it.
class NotchCard final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kTopRadius = 16;
    static constexpr qreal kBottomRadius = 34;
    static constexpr int kPadX = 30;
    static constexpr int kPadBottom = 16;
    static constexpr int kRowSpacing = 14;

    explicit NotchCard(NotchController* controller, QWidget* parent = nullptr);

    // Top padding for a screen whose top inset is `inset` (none without a screen): the inset
    // when it is more than 4, else 8, plus 12.
    static int topPadding(std::optional<int> inset);

    NotchThumbnail* thumbnail() const { return m_thumbnail; }
    NotchIconButton* toggleButton() const { return m_toggle; }
    NotchEditChip* editChip() const { return m_edit; }
    NotchIconButton* discardButton() const { return m_discard; }
    NotchRedactionPill* redactionPill() const { return m_pill; }
    NotchStyleStrip* styleStrip() const { return m_strip; }
    // The pill and the blur count: only while the styled image shows and something is hidden.
    bool showsRedactionRow() const;
    // "Text check failed" in place of the blur count, in the warning look.
    bool showsTextCheckFailure() const;
    QString title() const;
    QString statusDetail() const;
    // Beside the status detail: the summary's message, or the failed text check; empty when
    // neither shows.
    QString redactionMessage() const;
    // Where the status texts may draw: from the image to a gap before the actions.
    QRectF statusRect() const { return m_statusRect; }

    // The strip's share of its full height (follows the hover spring).
    void setStripProgress(qreal progress);
    // Lays the rows out for the current state and sets the card's height.
    void relayout();
    // The outline of the card in its own coordinates.
    QPainterPath outline() const;

Q_SIGNALS:
    void hoverChanged(bool inside);
    void geometryUpdated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void refreshFaces();

    QPointer<NotchController> m_controller;
    NotchThumbnail* m_thumbnail = nullptr;
    NotchIconButton* m_toggle = nullptr;
    NotchEditChip* m_edit = nullptr;
    NotchIconButton* m_discard = nullptr;
    NotchRedactionPill* m_pill = nullptr;
    NotchStyleStrip* m_strip = nullptr;
    NotchRevealEffect* m_stripEffect = nullptr;
    QRectF m_statusRect;
    qreal m_stripProgress = 0;
};

// The notch panel's content: while the phase is revealed, the card and under it the row of
// share circles, centred in the panel and hanging from its top. One view per presented shot, so
// hover state starts empty every time. It reports the region it draws in, which is where the
// panel takes the pointer.
class NotchPanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kSocialCircleSize = 30;
    static constexpr Spring kPhaseSpring { 0.4, 0.6 };
    static constexpr Spring kHoverSpring { 0.4, 0.6 };
    static constexpr int kRedactionHideMs = 120;

    explicit NotchPanelView(NotchController* controller, QWidget* parent = nullptr);

    NotchCard* card() const { return m_card; }
    QWidget* shareRow() const { return m_shareRow; }
    QList<NotchShareCircle*> shareCircles() const { return m_circles; }
    NotchRedactionDetail* redactionDetail() const { return m_detail; }

    bool isHovering() const { return m_isHovering; }
    bool isHoveringRedactionSummary() const { return m_isHoveringRedactionSummary; }
    bool isRedactionHidePending() const { return m_redactionHoverDismissWork.isActive(); }
    // True once every transition has come to rest.
    bool isSettled() const;

    // The pointer entered or left the card: shows the style strip and holds the auto-dismiss.
    void handleHover(bool inside);
    // The pointer entered or left the pill or its detail card.
    void handleRedactionHover(bool inside);
    // The pointer entered or left the row of share circles: holds the auto-dismiss.
    void handleShareRowHover(bool inside);

    // Where the view draws now, in its own coordinates: the panel's input region.
    QRegion drawnRegion() const;

Q_SIGNALS:
    void drawnRegionChanged(const QRegion& region);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildShareRow();
    void phaseChanged();
    void layoutContent();
    void applyReveal(qreal progress);
    void placeDetail();
    void setHoveringRedactionSummary(bool hovering);
    void announceRegion();
    // The parts of the panel that hold it open while the pointer is on them. Leaving the last
    // one, whichever it is, re-arms the auto-dismiss.
    enum HoldPart { cardPart = 1, shareRowPart = 2, detailPart = 4 };
    void setHolding(HoldPart part, bool inside);

    QPointer<NotchController> m_controller;
    NotchCard* m_card = nullptr;
    NotchRevealEffect* m_cardEffect = nullptr;
    QWidget* m_shareRow = nullptr;
    NotchRevealEffect* m_shareEffect = nullptr;
    QList<NotchShareCircle*> m_circles;
    NotchRedactionDetail* m_detail = nullptr;

    SpringAnimation m_reveal;
    qreal m_revealProgress = 0;
    SpringAnimation m_hover;
    bool m_isHovering = false;
    bool m_isHoveringRedactionSummary = false;
    int m_holdingParts = 0;
    QTimer m_redactionHoverDismissWork;
    QRegion m_lastRegion;
};
