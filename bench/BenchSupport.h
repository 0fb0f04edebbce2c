#pragma once

#include "PlatformServices.h"
#include "frmMain.h"
#include "support/WindowAccess.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

namespace kestrun::bench {

// A platform that answers nothing and loads no catalogue: benchmarks set
// their sprites directly.
class QuietPlatform final : public PlatformServices {
public:
    void showMessage(QWidget *, const QString &) override {}
    QString inputBox(QWidget *, const QString &, const QString &) override { return QStringLiteral("/nonexistent/"); }
    std::optional<QString> openFileDialog(QWidget *, const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> saveFileDialog(QWidget *, const FileDialogRequest &) override { return std::nullopt; }
    QString setting(const QString &, const QString &, const QString &, const QString &d) override { return d; }
    void saveSetting(const QString &, const QString &, const QString &, const QString &) override {}
    void deleteSetting(const QString &, const QString &, const QString &) override {}
    PictureReadResult loadPicture(const QString &) override
    {
        return {{PictureReadStatus::Unreadable, QStringLiteral("no pictures here")}, {}};
    }
};

// Pictures in slots 1..255 and a full grid: every cell has terrain and all
// three sprite layers set.
void fillBenchMap(SpriteTable &sprites, MapGrid &grid);

// A loaded editor window holding the map of fillBenchMap.
std::unique_ptr<frmMain> loadedEditor(QuietPlatform &platform, bool shown);

// The 40 x 40 picture benchmarks give slot `index`.
QImage benchPicture(int index);

// Runs the benchmarks the command line selects, for a main() that prepares
// their files first; 1 for an argument Google Benchmark does not know.
int runBenchmarks(int argc, char **argv);

// main() for the benchmarks of kmp, which needs no display: a
// QCoreApplication, then a Workspace that `make` fills with the benchmarks'
// files (1 when it cannot), shown to them through `current` while they run.
template<typename Workspace, typename Make>
int runInWorkspace(int argc, char **argv, Workspace *&current, Make make)
{
    QCoreApplication app(argc, argv);
    Workspace work;
    if (!make(work))
        return 1;
    current = &work;
    return runBenchmarks(argc, argv);
}

} // namespace kestrun::bench

// main() for the GUI benchmarks: a QApplication on the offscreen platform.
#define KESTRUN_BENCHMARK_MAIN()                                                                                       \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                                       \
        QApplication app(argc, argv);                                                                                  \
        ::benchmark::Initialize(&argc, argv);                                                                          \
        ::benchmark::RunSpecifiedBenchmarks();                                                                         \
        ::benchmark::Shutdown();                                                                                       \
        return 0;                                                                                                      \
    }
