// A settings change with a large settings file (40 MB of presets): what the main thread pays for
// it (the change itself; the write goes to the writer thread), and the write that used to run on
// the main thread at every change (encode the JSON, write, flush, rename).
#include "BenchMain.h"
#include "platform/JsonSettingsStore.h"

#include <QTemporaryDir>

namespace {
struct LargeFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("settings.json"));
    LargeFile()
    {
        JsonSettingsStore store(path);
        // Base64 grows data by a third: 30 MB of presets make a file of about 40 MB.
        store.setValue(QStringLiteral("savedPresets"), QByteArray(30 * 1024 * 1024, 'p'));
    }
};
}

static void BM_ChangeOnTheMainThread(benchmark::State& state)
{
    LargeFile file;
    JsonSettingsStore store(file.path);
    int i = 0;
    for (auto _ : state) {
        store.setValue(QStringLiteral("watermarkText"), QString::number(++i));
        state.PauseTiming();
        store.flush(); // not the main thread's time: the writer's
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChangeOnTheMainThread)->Unit(benchmark::kMillisecond)->Iterations(10);

static void BM_WriteOfTheWholeFile(benchmark::State& state)
{
    LargeFile file;
    JsonSettingsStore store(file.path);
    int i = 0;
    for (auto _ : state) {
        store.setValue(QStringLiteral("watermarkText"), QString::number(++i));
        store.flush();
    }
}
BENCHMARK(BM_WriteOfTheWholeFile)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
