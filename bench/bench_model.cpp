// Style model costs that sit on every preset load and save.
#include "model/BeautifySettings.h"
#include "model/StylePreset.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <benchmark/benchmark.h>

static void BM_PresetListRoundTrip(benchmark::State& state)
{
    QJsonArray array;
    for (int i = 0; i < state.range(0); ++i)
        array.append(StylePreset { QUuid::createUuid(), QStringLiteral("Preset %1").arg(i), BeautifySettings::defaults() }.toJson());
    const QByteArray data = QJsonDocument(array).toJson(QJsonDocument::Compact);
    for (auto _ : state) {
        int decoded = 0;
        for (const QJsonValue& element : QJsonDocument::fromJson(data).array())
            decoded += StylePreset::fromJson(element).has_value();
        benchmark::DoNotOptimize(decoded);
    }
}
BENCHMARK(BM_PresetListRoundTrip)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
