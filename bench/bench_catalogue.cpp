// Loading a full catalogue of 256 sprites, against its floor: decoding the
// same 256 files with QImage alone.
#include "BenchSupport.h"
#include "frmMain.h"
#include "PlatformServices.h"
#include "Catalogue.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

using namespace kestrun;

namespace {

struct GameFolder {
    QTemporaryDir dir;
    QString folder; // with its trailing separator, as the setting holds it
    QStringList picturePaths;
};

GameFolder *Game = nullptr;

// 256 distinct 40 x 40 pictures, written as 24-bit BMP, and a catalogue naming them.
bool makeGameFolder(GameFolder &game)
{
    if (!game.dir.isValid())
        return false;
    game.folder = game.dir.path() + QLatin1Char('/');
    QByteArray catalogue;
    for (int i = 0; i < 256; ++i) {
        QImage picture(40, 40, QImage::Format_RGB888);
        picture.fill(QColor(i, 255 - i, (i * 37) & 0xFF));
        QPainter painter(&picture);
        painter.setPen(QColor(255 - i, i, 128));
        painter.drawLine(0, i % 40, 39, 39 - i % 40);
        painter.end();
        const QString name = QStringLiteral("sprite%1.bmp").arg(i, 3, 10, QLatin1Char('0'));
        if (!picture.save(game.folder + name, "BMP"))
            return false;
        game.picturePaths << game.folder + name;
        catalogue += QByteArray::number(i) + '=' + name.toLatin1() + "\r\n";
    }
    QFile file(game.folder + QStringLiteral("tileset.dat"));
    return file.open(QIODevice::WriteOnly) && file.write(catalogue) == catalogue.size();
}

// Only the services start-up uses: the stored folder and picture loading.
class BenchPlatform final : public PlatformServices {
public:
    explicit BenchPlatform(QString folder)
        : m_folder(std::move(folder))
    {
    }
    void showMessage(QWidget *, const QString &) override {}
    QString inputBox(QWidget *, const QString &, const QString &) override { return m_folder; }
    std::optional<QString> openFileDialog(QWidget *, const FileDialogRequest &) override { return {}; }
    std::optional<QString> saveFileDialog(QWidget *, const FileDialogRequest &) override { return {}; }
    QString setting(const QString &, const QString &, const QString &, const QString &) override { return m_folder; }
    void saveSetting(const QString &, const QString &, const QString &, const QString &) override {}
    void deleteSetting(const QString &, const QString &, const QString &) override { m_folder.clear(); }
    PictureReadResult loadPicture(const QString &path) override { return loadPictureFile(path); }

private:
    QString m_folder;
};

void BM_DecodeFloor(benchmark::State &state)
{
    for (auto _ : state) {
        for (const QString &path : Game->picturePaths) {
            QImage picture(path);
            benchmark::DoNotOptimize(picture.constBits());
        }
    }
    state.SetItemsProcessed(state.iterations() * Game->picturePaths.size());
}
BENCHMARK(BM_DecodeFloor)->Unit(benchmark::kMillisecond);

void BM_LoadCatalogue(benchmark::State &state)
{
    for (auto _ : state) {
        SpriteTable sprites;
        const CatalogueLoadResult result = loadCatalogue(Game->folder, sprites, loadPictureFile);
        if (!result.ok() || result.listEntries.size() != 256) {
            state.SkipWithError("the catalogue did not load");
            break;
        }
        benchmark::DoNotOptimize(sprites.block(255).constBits());
    }
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond);

// The whole start-up step: folder setting, catalogue, the sprite list filled
// and its first entry selected (which redraws the still empty canvas).
void BM_LoadSpriteCatalogue(benchmark::State &state)
{
    BenchPlatform platform(Game->folder);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<frmMain>(platform, QByteArrayList());
        state.ResumeTiming();
        inside(*window).LoadSpriteCatalogue();
        benchmark::DoNotOptimize(inside(*window).CurrentSprite);
        state.PauseTiming();
        if (inside(*window).CurrentLayer != Layer::Sprite1) {
            state.SkipWithError("the first sprite was not selected");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadSpriteCatalogue)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyPictureAllocationLimit(); // as the editor's start does
    GameFolder game;
    if (!makeGameFolder(game))
        return 1;
    Game = &game;
    return kestrun::bench::runBenchmarks(argc, argv);
}
