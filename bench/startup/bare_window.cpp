// The reference for the editor's start-up time and memory: a bare Qt window
// of the same shape, with nothing behind it. A menu bar with three menus, a
// 19-button toolbar, a list of 256 icons and a 642 x 440 canvas with a
// retained image, in a 780 x 540 window. It reads no files and no settings.
//
// Run with KESTRUN_REPORT_SHOWN=1 (or =quit) for the moment it is shown;
// measure_startup.sh does that.
#include "ShownReport.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

namespace {

class Canvas : public QWidget {
public:
    explicit Canvas(QWidget *parent)
        : QWidget(parent)
        , m_image(642, 440, QImage::Format_RGB32)
    {
        setFixedSize(m_image.size());
        m_image.fill(QColor(0, 255, 0));
        QPainter painter(&m_image);
        painter.setPen(Qt::black);
        for (int x = 0; x <= 640; x += 40)
            painter.drawLine(x, 0, x, 439);
        for (int y = 0; y <= 440; y += 40)
            painter.drawLine(0, y, 639, y);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

QPixmap swatch(const QColor &color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(color);
    return pixmap;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));

    for (const char *title : {"&File", "&View", "&Help"}) {
        QMenu *menu = window.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 0; i < 6; ++i)
            menu->addAction(QStringLiteral("Item %1").arg(i + 1));
    }

    QToolBar *toolBar = window.addToolBar(QStringLiteral("Tools"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    for (int i = 0; i < 19; ++i)
        toolBar->addAction(QIcon(swatch(QColor::fromHsv(i * 18, 200, 220), 16)),
                           QStringLiteral("Button %1").arg(i + 1));

    auto *central = new QWidget(&window);
    auto *list = new QListWidget(central);
    list->setGeometry(0, 0, 128, 400);
    list->setIconSize(QSize(16, 16));
    list->setUniformItemSizes(true);
    for (int i = 0; i < 256; ++i)
        list->addItem(new QListWidgetItem(QIcon(swatch(QColor::fromHsv(i, 180, 200), 40)),
                                          QStringLiteral("sprite%1.bmp").arg(i, 3, 10, QLatin1Char('0'))));
    list->setCurrentRow(0);
    auto *canvas = new Canvas(central);
    canvas->move(128, 0);
    window.setCentralWidget(central);

    window.resize(780, 540);
    window.show();
    kestrun::reportWhenShown(&window);
    return QApplication::exec();
}
