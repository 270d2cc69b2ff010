#pragma once

#include "model/RedactionSummary.h"

#include <QHash>
#include <QImage>
#include <QString>

#include <memory>
#include <optional>

class EditorDocument;

// One shot shown in the notch panel. Built by the new-shot pipeline, owned by the presenter;
// deferred work recognises a stale session by pointer identity.
struct NotchSession {
    QImage rawImage;
    std::shared_ptr<EditorDocument> document;       // the shot's own editable document
    std::optional<RedactionSummary> redactionSummary; // absent when nothing was found
    bool textCheckFailed = false;                    // recognition could not run: nothing was hidden
    QImage styledImage;
    bool showingRaw = false;                         // the first render failed: the raw shot is shown
    std::optional<QString> tempFileURL;              // the drag-out PNG once first written
    QHash<QString, QImage> renderCache;              // rendered images by style key
    QString currentStyleKey;                         // "auto" or a preset's uuid string
};

// Where the new-shot pipeline hands each finished shot: the notch panel in the application,
// a recorder in tests.
class NotchPresenter {
public:
    virtual ~NotchPresenter() = default;
    virtual void present(std::shared_ptr<NotchSession> session) = 0;
};
