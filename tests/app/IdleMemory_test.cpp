#include "AppStateKit.h"

#include "app/IdleMemory.h"
#include "editor/EditorDocument.h"
#include "fakes/FakeScreenGeometry.h"
#include "fakes/FakeTextRecognizer.h"
#include "notch/NotchController.h"
#include "render/BackgroundView.h"
#include "render/CensorCache.h"
#include "support/Wait.h"

#include <QElapsedTimer>

namespace {
struct IdleMemoryTest : AppStateKit {
    FakeScreenGeometry screens;
    FakeTextRecognizer recognizer;
    std::unique_ptr<NotchController> notch;

    void SetUp() override
    {
        makeApp([](const QImage&, QObject*, std::function<void(DetectionResult)> done) { done({}); },
            [](const EditorDocument&) { return filledImage({ 10, 10 }, Qt::gray); });
        notch = std::make_unique<NotchController>(*prefs, *presets, pasteboard, screens, NotchStyling {},
            DragFileStore { [](const EncodedImage&, const std::optional<QString>&, FileWriteFailure*) { return std::optional<QString>(); },
                [](const QString&) {} });
    }
    void TearDown() override
    {
        notch.reset();
        CensorCache::shared().clear();
        BackgroundImageCache::shared().clear();
    }

    // What an edit leaves in the stores: a censored copy and a background at the zoom shown.
    static void fillStores(const QImage& shot)
    {
        CensorCache::shared().censored(shot, RedactStyle::blur, 0.6);
        BackgroundImageCache::shared().image(BackgroundPreset::ocean, QSize(300, 200));
    }
    static bool storesEmpty() { return CensorCache::shared().count() == 0 && BackgroundImageCache::shared().count() == 0; }
};
}

// An open editor keeps its stores while it is being edited and gives them back once left alone.
TEST_F(IdleMemoryTest, AQuietEditorGivesBackItsRenderStores)
{
    IdleMemory idle(*app, *notch, recognizer);
    idle.setEditorQuietInterval(300);
    app->openShotInEditor(CapturedShot::make(filledImage({ 400, 300 }, Qt::darkCyan)));
    auto document = app->document();
    ASSERT_TRUE(document);
    fillStores(document->image());

    // Edits every 100 ms for 0.8 s: nothing is released in the middle of them.
    QElapsedTimer clock;
    clock.start();
    for (int step = 0; step < 8; ++step) {
        spin(100);
        BeautifySettings s = document->settings();
        s.padding = 10 + step;
        document->setSettings(s);
        fillStores(document->image());
        EXPECT_FALSE(storesEmpty()) << step;
    }
    // Then quiet: the stores are emptied while the document stays open.
    ASSERT_TRUE(waitUntil([] { return storesEmpty(); }, 3000));
    EXPECT_TRUE(app->document());

    // A zoom is an edit too; after it the quiet spell starts again.
    fillStores(document->image());
    document->setZoom(2);
    spin(150);
    EXPECT_FALSE(storesEmpty());
    EXPECT_TRUE(waitUntil([] { return storesEmpty(); }, 3000));
}
