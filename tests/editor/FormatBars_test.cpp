#include "EditorDocumentTestKit.h"
#include "editor/ColorChipButton.h"
#include "editor/ColorChooserPopover.h"
#include "editor/FontMenuButton.h"
#include "editor/FormatTile.h"
#include "editor/HighlightFormatBar.h"
#include "editor/LineWidthField.h"
#include "editor/ShapeFormatBar.h"
#include "editor/StandardFormatBarFactory.h"
#include "editor/TextFormatBar.h"
#include "fakes/FakeColorSampler.h"
#include "model/ColorHex.h"
#include "support/Wait.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class FormatBarsTest : public ::testing::Test {
protected:
    void SetUp() override { ColorSampler::setShared(&sampler); }
    void TearDown() override { ColorSampler::setShared(nullptr); }

    // Adds a mark, selects it and forgets the step adding it took.
    QUuid add(Annotation::Kind kind, double width = 3, std::function<void(Annotation&)> tweak = {})
    {
        Annotation a = mark(kind, { 0.2, 0.2 }, { 0.6, 0.5 });
        a.lineWidthFraction = width;
        if (tweak)
            tweak(a);
        doc->addAnnotation(a);
        steps = doc->undoCount();
        return a.id;
    }
    Annotation value(QUuid id) const
    {
        for (const Annotation& a : doc->annotations()) {
            if (a.id == id)
                return a;
        }
        ADD_FAILURE() << "annotation gone";
        return {};
    }
    int newSteps() const { return doc->undoCount() - steps; }

    template <typename Bar>
    Bar* show(Bar* bar)
    {
        bar->setParent(&window);
        bar->show();
        window.show();
        QApplication::setActiveWindow(&window);
        return bar;
    }

    // Types into the width field as a person does: select what is there, type, Return.
    static void submit(LineWidthField* field, const QString& text)
    {
        QLineEdit* edit = field->lineEdit();
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        // QTest types ASCII only; other characters arrive as an input method would put them.
        if (QString::fromLatin1(text.toLatin1()) == text)
            QTest::keyClicks(edit, text);
        else
            edit->insert(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    FakeSensitiveTextScan scan;
    std::unique_ptr<EditorDocument> doc = makeDocument(scan);
    FakeColorSampler sampler;
    QString layerText; // the editing layer's width text: outlives the bars
    QWidget window;
    int steps = 0;
};
}

TEST_F(FormatBarsTest, WidthTextsClampOrRevertAndEveryAcceptedOneIsOneStep)
{
    const QUuid id = add(Annotation::Kind::arrow, 5);
    auto* bar = show(new ShapeFormatBar(doc.get(), id, nullptr, &layerText));
    LineWidthField* field = bar->widthField();
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("5"));
    EXPECT_EQ(layerText, QStringLiteral("5"));

    const std::pair<QString, double> accepted[] = { { "0", 1 }, { "-5", 1 }, { "300", 20 }, { "+7", 7 },
        { "99999999999", 20 }, { "-0012", 1 } };
    int expectedSteps = 0;
    for (const auto& [text, width] : accepted) {
        submit(field, text);
        EXPECT_EQ(value(id).lineWidthFraction, width) << text.toStdString();
        EXPECT_EQ(field->lineEdit()->text(), QString::number(width));
        EXPECT_EQ(layerText, QString::number(width));
        EXPECT_EQ(newSteps(), ++expectedSteps) << text.toStdString();
    }
    // Spaces, letters, nothing, signs alone, other digits and numbers past 64 bits change nothing.
    for (const QString text : { " 7", "7 ", "abc", "", "+", "1.5", "٣", "99999999999999999999", "--3" }) {
        submit(field, text);
        EXPECT_EQ(value(id).lineWidthFraction, 1) << text.toStdString();
        EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("1")) << text.toStdString();
        EXPECT_EQ(newSteps(), expectedSteps) << text.toStdString();
    }
    EXPECT_EQ(newSteps(), expectedSteps);
}

TEST_F(FormatBarsTest, StepsTruncateTheWidthAndRecordAStepEvenAtTheBounds)
{
    const QUuid id = add(Annotation::Kind::highlight, 2.7);
    auto* bar = show(new HighlightFormatBar(doc.get(), id));
    LineWidthField* field = bar->widthField();
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("2"));
    QTest::mouseClick(field->plusButton(), Qt::LeftButton);
    EXPECT_EQ(value(id).lineWidthFraction, 3);
    EXPECT_EQ(newSteps(), 1);

    submit(field, QStringLiteral("20"));
    QTest::mouseClick(field->plusButton(), Qt::LeftButton);
    EXPECT_EQ(value(id).lineWidthFraction, 20);
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("20"));
    EXPECT_EQ(newSteps(), 3);

    submit(field, QStringLiteral("1"));
    QTest::mouseClick(field->minusButton(), Qt::LeftButton);
    EXPECT_EQ(value(id).lineWidthFraction, 1);
    EXPECT_EQ(newSteps(), 5);
}

TEST_F(FormatBarsTest, WidthTextFollowsUndoRedoAndDropsWhatWasTypedWithoutReturn)
{
    const QUuid id = add(Annotation::Kind::box, 4);
    auto* bar = show(new ShapeFormatBar(doc.get(), id, nullptr, &layerText));
    LineWidthField* field = bar->widthField();
    QTest::mouseClick(field->plusButton(), Qt::LeftButton);
    ASSERT_EQ(field->lineEdit()->text(), QStringLiteral("5"));

    doc->undo();
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("4"));
    EXPECT_EQ(layerText, QStringLiteral("4"));
    doc->redo();
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("5"));

    // Typing alone changes nothing; leaving the field puts the width back.
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->show();
    field->lineEdit()->setFocus(Qt::MouseFocusReason);
    field->lineEdit()->selectAll();
    QTest::keyClick(field->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(field->lineEdit(), QStringLiteral("17"));
    EXPECT_EQ(layerText, QStringLiteral("17"));
    EXPECT_EQ(value(id).lineWidthFraction, 5);
    elsewhere->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(field->lineEdit()->text(), QStringLiteral("5"));
    EXPECT_EQ(layerText, QStringLiteral("5"));
    EXPECT_EQ(value(id).lineWidthFraction, 5);
}

TEST_F(FormatBarsTest, TheTextBarRecordsNoStepsAndItsColourAndFontBecomeTheDefaults)
{
    const QUuid id = add(Annotation::Kind::text, 1, [](Annotation& a) { a.fontName = QStringLiteral("Helvetica Neue"); });
    auto* bar = show(new TextFormatBar(doc.get(), id));
    EXPECT_TRUE(bar->alignmentTile(Annotation::Align::leading)->isOn());
    EXPECT_EQ(FontMenuButton::labelFor(value(id).fontName), QStringLiteral("Helvetica"));

    QTest::mouseClick(bar->alignmentTile(Annotation::Align::trailing), Qt::LeftButton);
    EXPECT_EQ(value(id).alignment, Annotation::Align::trailing);
    EXPECT_TRUE(bar->alignmentTile(Annotation::Align::trailing)->isOn());
    EXPECT_FALSE(bar->alignmentTile(Annotation::Align::leading)->isOn());

    QTest::mouseClick(bar->colorChip(), Qt::LeftButton);
    ColorSwatch* yellow = bar->colorChip()->chooser()->swatch(2);
    QTest::mouseClick(yellow, Qt::LeftButton, {}, yellow->rect().center());
    EXPECT_EQ(value(id).colorHex, 0xFFCC00);
    EXPECT_EQ(doc->annotationColor(), 0xFFCC00);
    EXPECT_EQ(bar->colorChip()->hex(), 0xFFCC00);

    QMenu* menu = bar->fontMenu()->menu();
    QTest::mouseClick(bar->fontMenu(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    ASSERT_GE(menu->actions().size(), 2);
    QAction* system = menu->actions().constFirst();
    EXPECT_EQ(system->text(), QStringLiteral("System"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(system).center());
    EXPECT_EQ(value(id).fontName, std::nullopt);
    EXPECT_EQ(doc->annotationFont(), std::nullopt);
    EXPECT_EQ(FontMenuButton::labelFor(std::nullopt), QStringLiteral("Aa"));
    EXPECT_EQ(newSteps(), 0);
}

TEST_F(FormatBarsTest, TheFontMenuListsOddFamiliesSafely)
{
    const QUuid id = add(Annotation::Kind::text);
    auto* bar = show(new TextFormatBar(doc.get(), id));
    const QString longName = QString(5000, QLatin1Char('W'));
    bar->fontMenu()->setFamilies([&] {
        return QStringList { QStringLiteral("DejaVu Sans"), QString(), QStringLiteral("   "), QStringLiteral("DejaVu Sans"),
            longName, QStringLiteral("Fish & Chips") };
    });
    QMenu* menu = bar->fontMenu()->menu();
    QTest::mouseClick(bar->fontMenu(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    QStringList families;
    QAction* fish = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->data().isValid())
            families.append(action->data().toString());
        if (action->data() == QStringLiteral("Fish & Chips"))
            fish = action;
    }
    EXPECT_EQ(families, (QStringList { "DejaVu Sans", longName, "Fish & Chips" }));
    EXPECT_LT(menu->width(), 600);
    ASSERT_NE(fish, nullptr);
    EXPECT_EQ(fish->text(), QStringLiteral("Fish && Chips"));
    fish->trigger();
    EXPECT_EQ(value(id).fontName, QStringLiteral("Fish & Chips"));
    menu->hide();

    // Labels: the first word; nothing but spaces counts as no name.
    EXPECT_EQ(FontMenuButton::labelFor(QStringLiteral("  Noto  Serif")), QStringLiteral("Noto"));
    EXPECT_EQ(FontMenuButton::labelFor(QStringLiteral("   ")), QStringLiteral("Aa"));
    EXPECT_EQ(FontMenuButton::labelFor(QString()), QStringLiteral("Aa"));
}

TEST_F(FormatBarsTest, ShapeTilesFlipDashAndFillForFillableKindsOnly)
{
    for (Annotation::Kind kind : { Annotation::Kind::arrow, Annotation::Kind::line, Annotation::Kind::pen }) {
        ShapeFormatBar bar(doc.get(), add(kind));
        EXPECT_EQ(bar.fillTile(), nullptr);
        EXPECT_EQ(bar.findChildren<FormatTile*>().size(), 3); // minus, plus, dash
    }

    const QUuid id = add(Annotation::Kind::box, 3, [](Annotation& a) { a.fillOpacity = 0.25; });
    auto* bar = show(new ShapeFormatBar(doc.get(), id));
    ASSERT_NE(bar->fillTile(), nullptr);
    EXPECT_TRUE(bar->fillTile()->isOn());
    EXPECT_EQ(bar->fillTile()->toolTip(), QStringLiteral("Remove fill"));
    QTest::mouseClick(bar->fillTile(), Qt::LeftButton);
    EXPECT_EQ(value(id).fillOpacity, 0);
    EXPECT_EQ(bar->fillTile()->symbol(), QStringLiteral("square"));
    EXPECT_EQ(bar->fillTile()->toolTip(), QStringLiteral("Fill shape"));
    QTest::mouseClick(bar->fillTile(), Qt::LeftButton);
    EXPECT_EQ(value(id).fillOpacity, 0.25);

    EXPECT_EQ(bar->dashTile()->toolTip(), QStringLiteral("Dashed line"));
    QTest::mouseClick(bar->dashTile(), Qt::LeftButton);
    EXPECT_TRUE(value(id).dashed);
    EXPECT_TRUE(bar->dashTile()->isOn());
    EXPECT_EQ(bar->dashTile()->toolTip(), QStringLiteral("Solid line"));
    EXPECT_EQ(newSteps(), 3);
    doc->undo();
    EXPECT_FALSE(doc->annotations().constLast().dashed);
}

TEST_F(FormatBarsTest, CoverageTileFlipsWhatTheHighlightDims)
{
    const QUuid id = add(Annotation::Kind::highlight);
    auto* bar = show(new HighlightFormatBar(doc.get(), id));
    EXPECT_EQ(bar->coverageTile()->symbol(), QStringLiteral("photo"));
    EXPECT_EQ(bar->coverageTile()->toolTip(), QStringLiteral("Cover full canvas"));
    QTest::mouseClick(bar->coverageTile(), Qt::LeftButton);
    EXPECT_TRUE(value(id).highlightFullCanvas);
    EXPECT_TRUE(bar->coverageTile()->isOn());
    EXPECT_EQ(bar->coverageTile()->symbol(), QStringLiteral("rectangle.fill"));
    EXPECT_EQ(bar->coverageTile()->toolTip(), QStringLiteral("Cover screenshot only"));
    EXPECT_EQ(newSteps(), 1);
}

TEST_F(FormatBarsTest, OneOpeningOfTheChooserIsOneUndoStepHoweverManyColoursPass)
{
    const QUuid id = add(Annotation::Kind::ellipse, 3, [](Annotation& a) { a.colorHex = 0x123456; });
    auto* bar = show(new ShapeFormatBar(doc.get(), id));
    ColorChipButton* chip = bar->colorChip();
    QTest::mouseClick(chip, Qt::LeftButton);
    QTest::mouseClick(chip->chooser()->colorWell(), Qt::LeftButton);
    QColorDialog* wheel = chip->chooser()->colorDialog();
    ASSERT_NE(wheel, nullptr);
    // A drag through the wheel: a hundred live changes, more than the whole history holds.
    for (int i = 0; i < 100; ++i)
        wheel->setCurrentColor(QColor(i, 200 - i, 40));
    EXPECT_EQ(value(id).colorHex, hexFromColor(QColor(99, 101, 40)));
    EXPECT_EQ(doc->annotationColor(), value(id).colorHex);
    EXPECT_EQ(newSteps(), 1);
    doc->undo();
    EXPECT_EQ(doc->annotations().constLast().colorHex, 0x123456);

    // A new opening takes a new step; so does a change after another control took one.
    doc->setSelectedAnnotation(id);
    chip->popover()->hide();
    steps = doc->undoCount();
    QTest::mouseClick(chip, Qt::LeftButton);
    ColorSwatch* green = chip->chooser()->swatch(3);
    QTest::mouseClick(green, Qt::LeftButton, {}, green->rect().center());
    QTest::mouseClick(bar->dashTile(), Qt::LeftButton);
    ColorSwatch* teal = chip->chooser()->swatch(4);
    QTest::mouseClick(teal, Qt::LeftButton, {}, teal->rect().center());
    EXPECT_EQ(newSteps(), 3);
    EXPECT_EQ(value(id).colorHex, 0x00C7BE);
}

TEST_F(FormatBarsTest, ActionsOnAVanishedAnnotationChangeNothing)
{
    const QUuid kept = add(Annotation::Kind::box);
    const QUuid gone = add(Annotation::Kind::box);
    auto* bar = show(new ShapeFormatBar(doc.get(), gone));
    const QList<Annotation> before = [&] {
        QList<Annotation> list = doc->annotations();
        list.removeLast();
        return list;
    }();
    doc->setAnnotations(before); // the bar's annotation is gone; the selection still names it
    doc->setSelectedAnnotation(kept);
    const int defaultColour = doc->annotationColor();
    QTest::mouseClick(bar->dashTile(), Qt::LeftButton);
    QTest::mouseClick(bar->fillTile(), Qt::LeftButton);
    QTest::mouseClick(bar->widthField()->plusButton(), Qt::LeftButton);
    submit(bar->widthField(), QStringLiteral("9"));
    QTest::mouseClick(bar->colorChip(), Qt::LeftButton);
    ColorSwatch* black = bar->colorChip()->chooser()->swatch(8);
    QTest::mouseClick(black, Qt::LeftButton, {}, black->rect().center());
    EXPECT_EQ(doc->annotations(), before);
    EXPECT_EQ(doc->annotationColor(), defaultColour);
    EXPECT_EQ(value(kept).lineWidthFraction, 3);
}

TEST_F(FormatBarsTest, TheFactoryBuildsEachBarOverTheLayersWidthText)
{
    StandardFormatBarFactory factory;
    QString widthText = QStringLiteral("6");
    const QUuid shape = add(Annotation::Kind::line, 6);
    std::unique_ptr<QWidget> bar(factory.createShapeBar({ doc.get(), shape, &widthText }));
    auto* shapeBar = qobject_cast<ShapeFormatBar*>(bar.get());
    ASSERT_NE(shapeBar, nullptr);
    QTest::mouseClick(shapeBar->widthField()->minusButton(), Qt::LeftButton);
    EXPECT_EQ(widthText, QStringLiteral("5"));
    EXPECT_NE(qobject_cast<HighlightFormatBar*>(
                  std::unique_ptr<QWidget>(factory.createHighlightBar({ doc.get(), add(Annotation::Kind::highlight), &widthText })).get()),
        nullptr);
    EXPECT_NE(qobject_cast<TextFormatBar*>(
                  std::unique_ptr<QWidget>(factory.createTextBar({ doc.get(), add(Annotation::Kind::text), nullptr })).get()),
        nullptr);
}

TEST_F(FormatBarsTest, APastedWidthWithALineBreakIsRefused)
{
    const QUuid id = add(Annotation::Kind::box, 4);
    auto* bar = show(new ShapeFormatBar(doc.get(), id, nullptr, &layerText));
    QLineEdit* edit = bar->widthField()->lineEdit();
    edit->setFocus(Qt::MouseFocusReason);
    for (const QString pasted : { "7\n", "7\r\n", "\n7" }) {
        edit->selectAll();
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(value(id).lineWidthFraction, 4) << pasted.toStdString();
        EXPECT_EQ(edit->text(), QStringLiteral("4"));
    }
    EXPECT_EQ(newSteps(), 0);
}
