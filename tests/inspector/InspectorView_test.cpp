#include "InspectorTestKit.h"
#include "support/Wait.h"

#include "inspector/InspectorAspectSection.h"
#include "inspector/InspectorChip.h"
#include "inspector/InspectorFrameSection.h"
#include "inspector/InspectorImageSection.h"
#include "inspector/InspectorLabel.h"
#include "inspector/InspectorPresetsButton.h"
#include "inspector/InspectorRedactionSection.h"
#include "inspector/InspectorStyleSection.h"
#include "inspector/InspectorWatermarkSection.h"
#include "inspector/SavePresetDialog.h"

#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "ui/Theme.h"

namespace {
QStringList texts(QMenu* menu)
{
    QStringList out;
    for (QAction* action : menu->actions())
        out.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    return out;
}

QAction* actionNamed(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}
}

using InspectorViewTest = InspectorKit;

TEST_F(InspectorViewTest, PresetsMenuListsAppliesAndUndoesInOneStep)
{
    open();
    std::unique_ptr<QMenu> empty(view->buildPresetsMenu(nullptr));
    EXPECT_EQ(texts(empty.get()), (QStringList { "No saved presets", "Save current style…" }));
    EXPECT_FALSE(empty->actions()[0]->isEnabled());
    EXPECT_EQ(view->presetsButton()->text(), "Presets");

    BeautifySettings launch = BeautifySettings::defaults();
    launch.background = BackgroundPreset::ocean;
    launch.padding = 32;
    presets.add(QStringLiteral("Launch"), launch);
    presets.add(QStringLiteral("Docs & guides"), BeautifySettings::defaults());
    // The store changed: the title follows at once (the document's style equals "Docs & guides").
    EXPECT_EQ(view->presetsButton()->text(), "Docs & guides");

    std::unique_ptr<QMenu> menu(view->buildPresetsMenu(nullptr));
    EXPECT_EQ(texts(menu.get()), (QStringList { "Launch", "Docs && guides", "---", "Save current style…" }));

    const BeautifySettings before = style();
    const int undo = doc->undoCount();
    QSignalSpy writes(doc.get(), &EditorDocument::settingsChanged);
    actionNamed(menu.get(), QStringLiteral("Launch"))->trigger();
    EXPECT_EQ(style(), launch);
    EXPECT_EQ(writes.count(), 1); // the whole style in one write
    EXPECT_EQ(doc->undoCount(), undo + 1);
    EXPECT_EQ(view->presetsButton()->text(), "Launch");

    doc->undo();
    EXPECT_EQ(style(), before);
    // The name is not part of an undo step, and a preset of that name still exists.
    EXPECT_EQ(view->presetsButton()->text(), "Launch");
}

TEST_F(InspectorViewTest, SaveDialogStoresTrimmedNameAndStartsEmptyNextTime)
{
    open();
    click(view->plusButton());
    SavePresetDialog* dialog = view->savePresetDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Save preset");
    EXPECT_EQ(dialog->nameField()->placeholderText(), "Preset name");

    const int undo = doc->undoCount();
    QTest::keyClicks(dialog->nameField(), QStringLiteral("  Launch post\t"));
    click(dialog->saveButton());
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(presets.presets().size(), 1);
    EXPECT_EQ(presets.presets()[0].name, "Launch post");
    EXPECT_EQ(view->presetsButton()->text(), "Launch post");
    EXPECT_EQ(doc->undoCount(), undo);

    // Reopened from the menu item: the field is empty again.
    std::unique_ptr<QMenu> menu(view->buildPresetsMenu(nullptr));
    actionNamed(menu.get(), QStringLiteral("Save current style…"))->trigger();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->nameField()->text(), "");

    // Only blanks: nothing stored, the dialog closes, the field is cleared.
    QTest::keyClicks(dialog->nameField(), QStringLiteral("   "));
    QTest::keyClick(dialog->nameField(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(presets.presets().size(), 1);
    EXPECT_EQ(view->newPresetName(), "");

    // Cancel keeps nothing either.
    click(view->plusButton());
    QTest::keyClicks(dialog->nameField(), QStringLiteral("Draft"));
    click(dialog->cancelButton());
    EXPECT_EQ(presets.presets().size(), 1);
    click(view->plusButton());
    EXPECT_EQ(dialog->nameField()->text(), "");
    QTest::keyClick(dialog->nameField(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(InspectorViewTest, HugeAndOddPresetNamesKeepTheMenuUsable)
{
    open();
    const QString huge(10000, QLatin1Char('W'));
    for (int i = 0; i < 500; ++i)
        presets.add(QStringLiteral("Preset %1").arg(i), BeautifySettings::defaults());
    presets.add(huge, BeautifySettings::defaults());
    presets.add(QStringLiteral("first line\nsecond line"), BeautifySettings::defaults());
    view->presetsButton()->click();
    QMenu* menu = view->openPresetsMenu();
    ASSERT_NE(menu, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(menu->actions().size(), 502 + 2);
    const QRect screen = menu->screen()->availableGeometry();
    // Scrolls instead of spreading into columns, and never wider than a sensible menu.
    EXPECT_LE(menu->height(), screen.height());
    EXPECT_LT(menu->width(), 600);
    for (QAction* action : menu->actions()) {
        EXPECT_LT(action->text().size(), 200);
        EXPECT_FALSE(action->text().contains(QLatin1Char('\n')));
    }
    menu->close();

    // The title elides inside its label; the panel keeps its width.
    doc->setSelectedPresetName(huge);
    EXPECT_EQ(view->presetsButton()->text(), huge);
    EXPECT_EQ(view->width(), InspectorView::panelWidth);
    EXPECT_LE(view->presetsButton()->width(), InspectorView::panelWidth);
}

TEST_F(InspectorViewTest, TabsReturnToStyleForDrawingToolsAndNewSelections)
{
    open();
    Annotation a = mark(Annotation::Kind::box, { 0.1, 0.1 }, { 0.3, 0.3 });
    Annotation b = mark(Annotation::Kind::arrow, { 0.5, 0.5 }, { 0.7, 0.7 });
    doc->setAnnotations({ a, b });

    clickSegment(view->tabSwitcher(), 1);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::background);
    EXPECT_TRUE(view->backgroundTab()->isVisible());
    EXPECT_FALSE(view->styleTab()->isVisible());
    const int undo = doc->undoCount();

    doc->setTool(AnnotationTool::crop);
    doc->setTool(AnnotationTool::select);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::background);
    doc->setTool(AnnotationTool::pen);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::style);

    clickSegment(view->tabSwitcher(), 1);
    doc->setTool(AnnotationTool::select);
    doc->setSelectedAnnotation(a.id);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::style);

    // From one selection to another is no change of "something is selected".
    clickSegment(view->tabSwitcher(), 1);
    doc->setSelectedAnnotation(b.id);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::background);
    doc->setSelectedAnnotation(std::nullopt);
    EXPECT_EQ(view->activeTab(), InspectorView::Tab::background);
    EXPECT_EQ(doc->undoCount(), undo); // switching tabs records nothing
}

TEST_F(InspectorViewTest, SensitiveSectionAppearsWithCountsOrHandDrawnAreas)
{
    open(BeautifySettings::defaults(), std::nullopt); // the scan is still running
    InspectorRedactionSection* section = view->redactionSection();
    EXPECT_TRUE(section->isHidden());
    ASSERT_TRUE(waitUntil([this] { return scan.pending(); }));
    scan.finish({ { RedactionKind::phone, { QRectF(0.1, 0.1, 0.2, 0.03) } } });
    ASSERT_TRUE(waitUntil([section] { return !section->isHidden(); }));
    EXPECT_EQ(section->listedKinds(), QList<RedactionKind> { RedactionKind::phone });

    open();
    section = view->redactionSection();
    EXPECT_TRUE(section->isHidden());
    doc->addManualRedaction(QRectF(0.2, 0.2, 0.1, 0.1));
    EXPECT_FALSE(section->isHidden());
    doc->undo();
    EXPECT_TRUE(section->isHidden());
}

TEST_F(InspectorViewTest, HeightFollowsContentUpToTheLimit)
{
    open();
    view->resize(view->sizeHint());
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->scrollArea()->verticalScrollBar()->isVisible());
    EXPECT_EQ(view->width(), InspectorView::panelWidth);

    view->setMaxHeight(400);
    EXPECT_EQ(view->sizeHint().height(), 400);
    view->resize(view->sizeHint());
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->scrollArea()->verticalScrollBar()->isVisible());
    view->setMaxHeight(-20);
    EXPECT_EQ(view->maxHeight(), 0);
}

TEST_F(InspectorViewTest, GlassFollowsTheInspectorInsideItsHost)
{
    open();
    QWidget host;
    host.resize(900, 900);
    view->setParent(&host);
    view->setGeometry(500, 40, InspectorView::panelWidth, 700);
    host.show();
    view->show();
    QCoreApplication::processEvents();
    QPointer<QWidget> glass = view->glass();
    ASSERT_TRUE(glass);
    EXPECT_EQ(glass->parentWidget(), &host);
    // Larger by the shadow's reach on every side, centred on the panel, and stacked right under it.
    EXPECT_EQ(glass->geometry().center(), view->geometry().center());
    EXPECT_GT(glass->width(), view->width());
    const QObjectList& siblings = host.children();
    EXPECT_EQ(siblings.indexOf(glass.data()) + 1, siblings.indexOf(view.get()));

    view->move(100, 60);
    EXPECT_EQ(glass->geometry().center(), view->geometry().center());
    view->hide();
    EXPECT_TRUE(glass->isHidden());
    view->show();
    EXPECT_FALSE(glass->isHidden());
    view.reset();
    EXPECT_TRUE(glass.isNull());
}

TEST_F(InspectorViewTest, StyleTabKeepsItsOrderAndSpacing)
{
    open(BeautifySettings::defaults(), DetectionResult { { RedactionKind::card, { QRectF(0.1, 0.1, 0.3, 0.02) } } });
    QLayout* tab = view->styleTab()->layout();
    ASSERT_EQ(tab->count(), 11);
    const QList<QWidget*> sections { static_cast<QWidget*>(view->styleSection()), view->imageSection(),
        view->frameSection(), view->aspectSection(), view->redactionSection(), view->watermarkSection() };
    for (int i = 0; i < sections.size(); ++i)
        EXPECT_EQ(tab->itemAt(2 * i)->widget(), sections[i]) << i;
    for (int i = 1; i < 10; i += 2)
        EXPECT_TRUE(qobject_cast<InspectorHairline*>(tab->itemAt(i)->widget())) << i;
    EXPECT_EQ(view->styleTab()->layout()->spacing(), 15);
    // Laid out top to bottom 15 pt apart, hairlines included.
    EXPECT_EQ(tab->itemAt(1)->geometry().top() - tab->itemAt(0)->geometry().bottom() - 1, 15);
}

TEST_F(InspectorViewTest, GlassTakesTheSchemeForcedOnTheInspector)
{
    open();
    QWidget host;
    host.resize(600, 900);
    view->setParent(&host);
    view->setGeometry(100, 40, InspectorView::panelWidth, 600);
    host.show();
    view->show();
    const auto panelTone = [this] {
        QCoreApplication::processEvents();
        // A spot of bare glass: left of the presets label, under the panel's top edge.
        const QImage shot = view->glass()->grab().toImage();
        const int m = (view->glass()->width() - view->width()) / 2;
        return shot.pixelColor(m + 6, m + 60).lightness();
    };
    Theme::setColorScheme(view.get(), ColorScheme::light);
    const int light = panelTone();
    Theme::setColorScheme(view.get(), ColorScheme::dark);
    const int dark = panelTone();
    EXPECT_GT(light, dark + 80);
    view.reset(); // before its host goes
}

TEST_F(InspectorViewTest, SizeHintIsTheSameBeforeAndAfterShowing)
{
    doc = makeDocument(scan, DetectionResult {}, BeautifySettings::defaults());
    InspectorView fresh(doc.get(), nullptr, services());
    const QSize before = fresh.sizeHint();
    fresh.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(fresh.sizeHint(), before);

    // Content that grows tells the host its new size.
    bool told = false;
    struct Watch : QObject {
        bool* flag;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::LayoutRequest)
                *flag = true;
            return false;
        }
    } watch;
    watch.flag = &told;
    QWidget host;
    fresh.setParent(&host);
    host.installEventFilter(&watch);
    host.show();
    fresh.show();
    QCoreApplication::processEvents();
    told = false;
    fresh.inspector().setWatermark(true);
    const int grownHint = fresh.sizeHint().height();
    EXPECT_GT(grownHint, before.height());
    EXPECT_TRUE(waitUntil([&told] { return told; }, 2000));
    fresh.setParent(nullptr);
}

// A preset saved without any kinds switched on must not uncover what the scan found.
TEST_F(InspectorViewTest, ApplyingAPresetKeepsScannedSecretsHidden)
{
    BeautifySettings scanned = BeautifySettings::defaults();
    scanned.redactKinds = { RedactionKind::email };
    open(scanned, DetectionResult { { RedactionKind::email, { QRectF(0.1, 0.1, 0.3, 0.05) } } });
    ASSERT_EQ(doc->redactionRects().size(), 1);
    BeautifySettings plain = BeautifySettings::defaults();
    plain.background = BackgroundPreset::noir;
    presets.add(QStringLiteral("Plain"), plain);

    std::unique_ptr<QMenu> menu(view->buildPresetsMenu(nullptr));
    actionNamed(menu.get(), QStringLiteral("Plain"))->trigger();
    EXPECT_EQ(style().background, BackgroundPreset::noir);
    EXPECT_EQ(style().redactKinds, std::set<RedactionKind> { RedactionKind::email });
    EXPECT_EQ(doc->redactionRects().size(), 1);
    EXPECT_EQ(view->presetsButton()->text(), "Plain");
}

// An opened image whose scan could not run: the sensitive-info section appears although nothing
// was found, and says under its title that the text was not checked; a later result takes it away.
TEST_F(InspectorViewTest, AFailedScanIsToldInTheSensitiveInfoSection)
{
    open(BeautifySettings::defaults(), std::nullopt);
    InspectorRedactionSection* section = view->redactionSection();
    ASSERT_TRUE(scan.pending());
    EXPECT_FALSE(section->isVisible());

    scan.fail(QStringLiteral("no model"));
    ASSERT_TRUE(waitUntil([&] { return doc->scanFailed(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(section->isVisible());
    ASSERT_TRUE(section->failureNote()->isVisible());
    EXPECT_EQ(section->failureNote()->text(), "Text check failed");
    EXPECT_EQ(section->failureNote()->role(), InspectorLabel::Role::warning);
    EXPECT_TRUE(section->listedKinds().isEmpty());
    // Under the title, above everything else of the section.
    EXPECT_LT(section->failureNote()->y(), section->note()->y());

    doc->applyDetections({ { RedactionKind::email, { QRectF(0.1, 0.1, 0.3, 0.05) } } });
    QCoreApplication::processEvents();
    EXPECT_FALSE(section->failureNote()->isVisible());
    EXPECT_EQ(section->listedKinds(), QList<RedactionKind> { RedactionKind::email });
}
