// Loading and saving a settings file of 5,000 lines: 100 sections of 48 keys and a blank line.
#include "custom/myinifile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kSections = 100;
constexpr int kKeys = 48;

struct Fixture {
    QTemporaryDir dir;
    QString path;
    Fixture()
    {
        path = dir.path() + QStringLiteral("/tavio.ini");
        QByteArray text;
        for (int s = 0; s < kSections; ++s) {
            text += "[Section" + QByteArray::number(s) + "]\r\n";
            for (int k = 0; k < kKeys; ++k)
                text += "Key" + QByteArray::number(k) + "=" + QByteArray::number(s * 1000 + k) + "\r\n";
            text += "\r\n";
        }
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
};

Fixture &TheFile()
{
    static Fixture fixture;
    return fixture;
}

QString SectionName(int s) { return QStringLiteral("Section%1").arg(s); }
QString KeyName(int k) { return QStringLiteral("Key%1").arg(k); }

// The start-up pass: open the file and read every key.
void BM_IniLoadAndReadAll(benchmark::State &state)
{
    const QString path = TheFile().path;
    qint64 sum = 0;
    for (auto _ : state) {
        TMyIniFile ini(path);
        for (int s = 0; s < kSections; ++s)
            for (int k = 0; k < kKeys; ++k)
                sum += ini.ReadInteger(SectionName(s), KeyName(k), 0);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_IniLoadAndReadAll)->Unit(benchmark::kMillisecond);

// The closing pass: open the file, write every key, write the file.
void BM_IniWriteAllAndSave(benchmark::State &state)
{
    const QString path = TheFile().path;
    int round = 0;
    for (auto _ : state) {
        TMyIniFile ini(path);
        ++round;
        for (int s = 0; s < kSections; ++s)
            for (int k = 0; k < kKeys; ++k)
                ini.WriteInteger(SectionName(s), KeyName(k), s * 1000 + k + round % 2);
        if (!ini.UpdateFile())
            state.SkipWithError("the file was not written");
    }
}
BENCHMARK(BM_IniWriteAllAndSave)->Unit(benchmark::kMillisecond);

} // namespace
