#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private home for one test process: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME,
// XDG_RUNTIME_DIR and the Pictures/Desktop folders all under one temporary folder.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString home() const { return m_dir.path(); }
    // Starts Xvfb on a free display and exports DISPLAY; false when it cannot.
    bool startXvfb();
    // Ends the X server at once, as a crash of the display does.
    void killXvfb();

    static TestEnvironment* current();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_xvfb;
};
