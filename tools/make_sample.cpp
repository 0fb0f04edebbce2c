// Draws the bundled sample game folder: tileset.dat, the sprites it names
// (40 x 40, 24-bit BMP) and a sample level that uses every terrain code and
// all three sprite layers. The output is the same on every run.
//
//   make_sample <folder>
#include "MapFile.h"
#include "MapGrid.h"
#include "Terrain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace kestrun;

namespace {

constexpr int Side = 40;

// A small deterministic generator (xorshift32), seeded per sprite.
class Rng {
public:
    explicit Rng(std::uint32_t seed)
        : m_state(seed ? seed : 0x9E3779B9u)
    {
    }
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int range(int low, int high) { return low + int(next() % std::uint32_t(high - low + 1)); }
    double unit() { return double(next() % 100000) / 100000.0; }

private:
    std::uint32_t m_state;
};

QColor shade(const QColor &c, int delta)
{
    return QColor(qBound(0, c.red() + delta, 255), qBound(0, c.green() + delta, 255), qBound(0, c.blue() + delta, 255));
}

QImage canvas()
{
    QImage image(Side, Side, QImage::Format_RGB888);
    image.fill(Qt::black);
    return image;
}

// Per-pixel grain around a base colour.
void grain(QImage &image, const QColor &base, int amplitude, Rng &rng)
{
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; ++x)
            image.setPixelColor(x, y, shade(base, rng.range(-amplitude, amplitude)));
    }
}

void speckle(QImage &image, const QColor &color, int count, Rng &rng)
{
    for (int i = 0; i < count; ++i)
        image.setPixelColor(rng.range(0, Side - 1), rng.range(0, Side - 1), shade(color, rng.range(-8, 8)));
}

// A raised edge: light along the top and left, dark along the bottom and right.
void bevel(QPainter &p, const QRect &r, const QColor &light, const QColor &dark, int width = 2)
{
    for (int i = 0; i < width; ++i) {
        p.setPen(light);
        p.drawLine(r.left() + i, r.top() + i, r.right() - i, r.top() + i);
        p.drawLine(r.left() + i, r.top() + i, r.left() + i, r.bottom() - i);
        p.setPen(dark);
        p.drawLine(r.left() + i, r.bottom() - i, r.right() - i, r.bottom() - i);
        p.drawLine(r.right() - i, r.top() + i, r.right() - i, r.bottom() - i);
    }
}

void softShadow(QPainter &p, const QPointF &centre, double rx, double ry)
{
    QRadialGradient g(centre, std::max(rx, ry));
    g.setColorAt(0.0, QColor(0, 0, 0, 110));
    g.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, rx, ry);
}

void ball(QPainter &p, const QPointF &centre, double r, const QColor &color)
{
    QRadialGradient g(centre - QPointF(r * 0.35, r * 0.35), r * 1.3);
    g.setColorAt(0.0, shade(color, 55));
    g.setColorAt(0.55, color);
    g.setColorAt(1.0, shade(color, -60));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, r, r);
}

// --- surfaces --------------------------------------------------------------

QImage ground(std::uint32_t seed = 1)
{
    Rng rng(seed);
    QImage image = canvas();
    grain(image, QColor(122, 98, 64), 9, rng);
    speckle(image, QColor(92, 72, 46), 60, rng);
    speckle(image, QColor(150, 126, 90), 30, rng);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        const QPointF at(rng.range(4, 35), rng.range(4, 35));
        const double r = 1.2 + rng.unit() * 1.6;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 56, 38, 140));
        p.drawEllipse(at + QPointF(0.8, 0.8), r, r * 0.8);
        ball(p, at, r, QColor(146, 138, 124));
    }
    return image;
}

QImage grass()
{
    Rng rng(2);
    QImage image = canvas();
    grain(image, QColor(72, 126, 50), 10, rng);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 90; ++i) {
        const QPointF base(rng.range(0, 39), rng.range(2, 41));
        const QPointF tip = base + QPointF(rng.range(-2, 2), -rng.range(3, 6));
        p.setPen(QPen(shade(QColor(96, 160, 64), rng.range(-30, 25)), 1.0));
        p.drawLine(base, tip);
    }
    return image;
}

QImage sand()
{
    Rng rng(3);
    QImage image = canvas();
    grain(image, QColor(208, 184, 124), 7, rng);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 4; ++row) {
        QPainterPath ripple;
        const double y0 = 6 + row * 10;
        ripple.moveTo(-2, y0);
        for (int x = 0; x <= 42; x += 2)
            ripple.lineTo(x, y0 + 1.6 * std::sin((x + row * 7) * 0.32));
        p.setPen(QPen(QColor(176, 150, 96), 1.0));
        p.drawPath(ripple);
        p.translate(0, 1);
        p.setPen(QPen(QColor(228, 210, 160), 1.0));
        p.drawPath(ripple);
        p.translate(0, -1);
    }
    speckle(image, QColor(150, 128, 90), 25, rng);
    return image;
}

QImage concrete()
{
    Rng rng(4);
    QImage image = canvas();
    grain(image, QColor(152, 152, 146), 6, rng);
    speckle(image, QColor(120, 120, 116), 50, rng);
    QPainter p(&image);
    bevel(p, QRect(0, 0, Side, Side), QColor(196, 196, 190), QColor(92, 92, 88), 2);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPointF at : {QPointF(6, 6), QPointF(33, 6), QPointF(6, 33), QPointF(33, 33)}) {
        ball(p, at, 1.8, QColor(120, 120, 124));
    }
    QPainterPath crack;
    crack.moveTo(14, 2);
    crack.lineTo(17, 11);
    crack.lineTo(15, 17);
    crack.lineTo(21, 24);
    crack.moveTo(17, 11);
    crack.lineTo(23, 13);
    p.setPen(QPen(QColor(96, 96, 92), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(crack);
    return image;
}

QImage steel()
{
    Rng rng(5);
    QImage image = canvas();
    QPainter p(&image);
    QLinearGradient g(0, 0, Side, Side);
    g.setColorAt(0.0, QColor(150, 162, 174));
    g.setColorAt(1.0, QColor(84, 94, 106));
    p.fillRect(image.rect(), g);
    p.end();
    for (int i = 0; i < 160; ++i) {
        const int x = rng.range(0, 39), y = rng.range(0, 39);
        image.setPixelColor(x, y, shade(image.pixelColor(x, y), rng.range(-10, 10)));
    }
    p.begin(&image);
    bevel(p, QRect(0, 0, Side, Side), QColor(206, 214, 222), QColor(52, 58, 66), 3);
    p.setPen(QColor(70, 78, 88));
    p.drawLine(20, 4, 20, 35);
    p.drawLine(4, 20, 35, 20);
    p.setRenderHint(QPainter::Antialiasing);
    for (int y : {8, 31})
        for (int x : {8, 31})
            ball(p, QPointF(x, y), 2.2, QColor(140, 150, 162));
    return image;
}

QImage brick()
{
    Rng rng(6);
    QImage image = canvas();
    grain(image, QColor(178, 168, 152), 6, rng); // mortar
    QPainter p(&image);
    for (int course = 0; course < 4; ++course) {
        const int top = course * 10;
        const int offset = course % 2 ? -10 : 0;
        for (int left = offset; left < Side; left += 20) {
            const QRect r(left + 1, top + 1, 18, 8);
            const QColor base = shade(QColor(158, 60, 40), rng.range(-18, 18));
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = std::max(0, r.left()); x <= std::min(Side - 1, r.right()); ++x)
                    image.setPixelColor(x, y, shade(base, rng.range(-9, 9)));
            p.setPen(shade(base, 42));
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.setPen(shade(base, -48));
            p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        }
    }
    return image;
}

QImage ice()
{
    Rng rng(7);
    QImage image = canvas();
    QPainter p(&image);
    QLinearGradient g(0, 0, Side, Side);
    g.setColorAt(0.0, QColor(214, 238, 250));
    g.setColorAt(1.0, QColor(160, 204, 232));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 4; ++i) {
        const double x = -10 + i * 14 + rng.range(0, 4);
        p.setPen(QPen(QColor(255, 255, 255, 150), 2.0));
        p.drawLine(QPointF(x, 40), QPointF(x + 22, 0));
    }
    QPainterPath crack;
    crack.moveTo(4, 30);
    crack.lineTo(13, 24);
    crack.lineTo(16, 27);
    crack.lineTo(26, 17);
    crack.lineTo(36, 14);
    crack.moveTo(16, 27);
    crack.lineTo(18, 35);
    p.setPen(QPen(QColor(110, 160, 196), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(crack);
    for (int i = 0; i < 6; ++i) {
        const QPointF at(rng.range(3, 36), rng.range(3, 36));
        p.setPen(QPen(Qt::white, 1.0));
        p.drawLine(at - QPointF(1.5, 0), at + QPointF(1.5, 0));
        p.drawLine(at - QPointF(0, 1.5), at + QPointF(0, 1.5));
    }
    return image;
}

void waves(QPainter &p, Rng &rng)
{
    p.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 5; ++row) {
        const double y = 4 + row * 8;
        const double shift = (row % 2) * 10 + rng.range(0, 2);
        for (double x = -20 + shift; x < Side; x += 20) {
            QPainterPath arc;
            arc.moveTo(x, y + 2);
            arc.quadTo(x + 5, y - 2, x + 10, y + 2);
            p.setPen(QPen(QColor(120, 176, 232, 200), 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawPath(arc);
        }
    }
}

QImage water()
{
    Rng rng(8);
    QImage image = canvas();
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, Side);
    g.setColorAt(0.0, QColor(34, 88, 170));
    g.setColorAt(1.0, QColor(22, 64, 138));
    p.fillRect(image.rect(), g);
    waves(p, rng);
    return image;
}

QImage lilies()
{
    Rng rng(9);
    QImage image = water();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPointF at : {QPointF(12, 12), QPointF(28, 22), QPointF(14, 31)}) {
        const double r = 5 + rng.range(0, 2);
        p.setPen(QPen(QColor(30, 80, 30), 1.0));
        QRadialGradient g(at - QPointF(1.5, 1.5), r * 1.4);
        g.setColorAt(0.0, QColor(120, 190, 90));
        g.setColorAt(1.0, QColor(50, 120, 50));
        p.setBrush(g);
        // A pad with its notch.
        p.drawPie(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), 30 * 16, 320 * 16);
    }
    ball(p, QPointF(29, 21), 1.8, QColor(236, 200, 230));
    return image;
}

// --- objects on a surface ----------------------------------------------------

QImage tree()
{
    Rng rng(10);
    QImage image = grass();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    softShadow(p, QPointF(23, 24), 17, 15);
    const QColor leaves(48, 112, 40);
    for (int i = 0; i < 7; ++i) {
        const double angle = i * 0.9 + rng.unit() * 0.4;
        ball(p, QPointF(19 + 8 * std::cos(angle), 19 + 8 * std::sin(angle)), 7.5, shade(leaves, rng.range(-12, 12)));
    }
    ball(p, QPointF(19, 19), 9, shade(leaves, 10));
    return image;
}

QImage pine()
{
    Rng rng(11);
    QImage image = grass();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    softShadow(p, QPointF(22, 23), 17, 17);
    const QPointF c(19.5, 19.5);
    for (int layer = 0; layer < 3; ++layer) {
        const double outer = 17 - layer * 5, inner = outer * 0.55;
        QPolygonF star;
        for (int k = 0; k < 16; ++k) {
            const double a = k * std::numbers::pi / 8 + layer * 0.2;
            const double r = k % 2 ? inner : outer;
            star << c + QPointF(r * std::cos(a), r * std::sin(a));
        }
        QRadialGradient g(c - QPointF(3, 3), outer);
        g.setColorAt(0.0, QColor(60 + layer * 14, 130 + layer * 16, 70));
        g.setColorAt(1.0, QColor(18, 64 + layer * 8, 34));
        p.setPen(QPen(QColor(14, 46, 24), 0.8));
        p.setBrush(g);
        p.drawPolygon(star);
    }
    ball(p, c, 2, QColor(110, 76, 40));
    (void)rng;
    return image;
}

QImage bush()
{
    Rng rng(12);
    QImage image = ground(12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPointF at : {QPointF(11, 12), QPointF(27, 15), QPointF(17, 28), QPointF(31, 31)}) {
        softShadow(p, at + QPointF(3, 3), 9, 8);
        for (int i = 0; i < 4; ++i) {
            const QPointF off(rng.range(-3, 3), rng.range(-3, 3));
            ball(p, at + off, 4.5, shade(QColor(70, 124, 46), rng.range(-14, 14)));
        }
    }
    return image;
}

QImage rocks()
{
    Rng rng(13);
    QImage image = ground(13);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const struct {
        QPointF at;
        double rx, ry;
    } stones[] = {{QPointF(14, 15), 10, 8}, {QPointF(28, 25), 8, 7}, {QPointF(12, 31), 5, 4}};
    for (const auto &s : stones) {
        softShadow(p, s.at + QPointF(3, 3), s.rx + 2, s.ry + 2);
        QRadialGradient g(s.at - QPointF(s.rx * 0.4, s.ry * 0.5), s.rx * 1.5);
        const QColor stone = shade(QColor(136, 132, 126), rng.range(-10, 10));
        g.setColorAt(0.0, shade(stone, 60));
        g.setColorAt(0.6, stone);
        g.setColorAt(1.0, shade(stone, -60));
        p.setPen(QPen(shade(stone, -80), 0.8));
        p.setBrush(g);
        p.drawEllipse(s.at, s.rx, s.ry);
    }
    return image;
}

QImage crate()
{
    QImage image = ground(14);
    QPainter p(&image);
    const QRect box(6, 6, 28, 28);
    p.fillRect(box.translated(3, 3), QColor(0, 0, 0, 90));
    const QColor wood(170, 118, 62);
    for (int i = 0; i < 4; ++i)
        p.fillRect(QRect(box.left(), box.top() + i * 7, box.width(), 7), shade(wood, (i % 2) ? -10 : 6));
    p.setPen(shade(wood, -50));
    for (int i = 1; i < 4; ++i)
        p.drawLine(box.left(), box.top() + i * 7, box.right(), box.top() + i * 7);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(shade(wood, -30), 3.0));
    p.drawLine(QPointF(box.left() + 3, box.bottom() - 3), QPointF(box.right() - 3, box.top() + 3));
    p.setRenderHint(QPainter::Antialiasing, false);
    bevel(p, box, shade(wood, 50), shade(wood, -70), 2);
    return image;
}

// --- bases and spawn markers ---------------------------------------------------

QImage base(const QColor &plate, const QColor &emblem, bool star)
{
    QImage image = concrete();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(20, 20);
    softShadow(p, c + QPointF(2, 2), 16, 16);
    QRadialGradient g(c - QPointF(5, 5), 20);
    g.setColorAt(0.0, shade(plate, 60));
    g.setColorAt(1.0, shade(plate, -50));
    p.setPen(QPen(shade(plate, -90), 1.2));
    p.setBrush(g);
    p.drawEllipse(c, 14, 14);
    p.setPen(QPen(shade(plate, 80), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 11, 11);
    QPolygonF shape;
    if (star) {
        for (int k = 0; k < 10; ++k) {
            const double a = -std::numbers::pi / 2 + k * std::numbers::pi / 5;
            const double r = k % 2 ? 3.6 : 9.0;
            shape << c + QPointF(r * std::cos(a), r * std::sin(a));
        }
    } else {
        // A downward chevron pair.
        shape << QPointF(11, 14) << QPointF(20, 21) << QPointF(29, 14) << QPointF(29, 19) << QPointF(20, 26)
              << QPointF(11, 19);
    }
    p.setPen(QPen(shade(emblem, -90), 1.0));
    p.setBrush(emblem);
    p.drawPolygon(shape);
    return image;
}

QImage spawn(const QColor &color, bool pointsUp)
{
    QImage image = ground(pointsUp ? 15 : 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(20, 20);
    QPen ring(color, 2.4);
    ring.setDashPattern({3.0, 2.0});
    p.setPen(ring);
    p.setBrush(QColor(color.red(), color.green(), color.blue(), 50));
    p.drawEllipse(c, 15, 15);
    QPolygonF arrow;
    arrow << QPointF(20, 8) << QPointF(29, 19) << QPointF(23.5, 19) << QPointF(23.5, 31) << QPointF(16.5, 31)
          << QPointF(16.5, 19) << QPointF(11, 19);
    if (!pointsUp) {
        for (QPointF &pt : arrow)
            pt.setY(40 - pt.y());
    }
    p.setPen(QPen(shade(color, -90), 1.2));
    QLinearGradient g(0, 8, 0, 32);
    g.setColorAt(0.0, shade(color, 70));
    g.setColorAt(1.0, shade(color, -30));
    p.setBrush(g);
    p.drawPolygon(arrow);
    return image;
}

// --- the folder ---------------------------------------------------------------

struct Sprite {
    int slot;
    const char *name; // as tileset.dat writes it
    std::function<QImage()> draw;
};

enum Slot : std::uint8_t {
    Ground = 1,
    Grass,
    Concrete,
    Brick,
    Ice,
    Water,
    Sand,
    Steel,
    Tree,
    Pine,
    Bush,
    Rocks,
    Crate,
    PlayerBase,
    EnemyBase,
    PlayerSpawn,
    EnemySpawn,
    Lilies,
};

const std::vector<Sprite> &sprites()
{
    static const std::vector<Sprite> list = {
        {Ground, "tiles\\ground.bmp", [] { return ground(); }},
        {Grass, "tiles\\grass.bmp", grass},
        {Concrete, "tiles\\concrete.bmp", concrete},
        {Brick, "tiles\\brick.bmp", brick},
        {Ice, "tiles\\ice.bmp", ice},
        {Water, "tiles\\water.bmp", water},
        {Sand, "tiles\\sand.bmp", sand},
        {Steel, "tiles\\steel.bmp", steel},
        {Tree, "objects\\tree.bmp", tree},
        {Pine, "objects\\pine.bmp", pine},
        {Bush, "objects\\bush.bmp", bush},
        {Rocks, "objects\\rocks.bmp", rocks},
        {Crate, "objects\\crate.bmp", crate},
        {PlayerBase, "bases\\player_base.bmp", [] { return base(QColor(40, 90, 170), QColor(240, 200, 60), true); }},
        {EnemyBase, "bases\\enemy_base.bmp", [] { return base(QColor(150, 36, 30), QColor(30, 30, 30), false); }},
        {PlayerSpawn, "markers\\player_spawn.bmp", [] { return spawn(QColor(60, 140, 240), true); }},
        {EnemySpawn, "markers\\enemy_spawn.bmp", [] { return spawn(QColor(224, 56, 44), false); }},
        {Lilies, "objects\\lilies.bmp", lilies},
    };
    return list;
}

// The sample level: a river with two bridges, brick walls round both bases,
// a concrete bunker, an ice patch, woods; the bases on layer 2 and the spawn
// points on layer 3.
MapGrid sampleMap()
{
    MapGrid map;
    auto set = [&map](int x, int y, TerrainCode terrain, std::uint8_t s1, std::uint8_t s2 = 0, std::uint8_t s3 = 0) {
        map.setCell(x, y, MapCell{terrainByte(terrain), s1, s2, s3});
    };
    // Open ground above the river; grass below it, crossed by two dirt
    // roads from the bridges.
    for (int y = 0; y < MapGrid::Height; ++y)
        for (int x = 0; x < MapGrid::Width; ++x)
            set(x, y, TerrainCode::Ground, y >= 6 ? Grass : Ground);
    for (const auto &[x, y] :
         {std::pair{3, 6}, {3, 7}, {3, 8}, {4, 8}, {5, 8}, {12, 6}, {12, 7}, {12, 8}, {11, 8}, {10, 8}})
        set(x, y, TerrainCode::Ground, Ground);

    // The river along row 5, bridged with concrete at columns 3 and 12,
    // lily pads here and there, sand on its northern bank.
    for (int x = 0; x < MapGrid::Width; ++x) {
        if (x == 3 || x == 12)
            set(x, 5, TerrainCode::Beton, Concrete);
        else
            set(x, 5, TerrainCode::Water, Water, x % 4 == 1 ? Lilies : 0);
        if (x % 3 != 1)
            set(x, 4, TerrainCode::Ground, Sand);
    }

    // The enemy base at the top, walled in brick; the player's at the bottom.
    for (int x = 6; x <= 9; ++x)
        set(x, 1, TerrainCode::Brick, Brick);
    set(6, 0, TerrainCode::Brick, Brick);
    set(9, 0, TerrainCode::Brick, Brick);
    set(7, 0, TerrainCode::Beton, Concrete, EnemyBase);
    set(8, 0, TerrainCode::Beton, Concrete, EnemyBase);
    for (int x = 6; x <= 9; ++x)
        set(x, 9, TerrainCode::Brick, Brick);
    set(6, 10, TerrainCode::Brick, Brick);
    set(9, 10, TerrainCode::Brick, Brick);
    set(7, 10, TerrainCode::Beton, Concrete, PlayerBase);
    set(8, 10, TerrainCode::Beton, Concrete, PlayerBase);

    // Spawn points on layer 3: the enemy's in the top corners and the middle,
    // the player's beside the player's base.
    for (int x : {0, 15})
        set(x, 0, TerrainCode::Ground, Ground, 0, EnemySpawn);
    set(11, 2, TerrainCode::Ground, Ground, 0, EnemySpawn);
    set(4, 10, TerrainCode::Ground, Grass, 0, PlayerSpawn);
    set(11, 10, TerrainCode::Ground, Grass, 0, PlayerSpawn);

    // A concrete bunker with steel corners, an ice patch, crates.
    for (int y = 2; y <= 3; ++y)
        for (int x = 2; x <= 3; ++x)
            set(x, y, TerrainCode::Beton, (x + y) % 2 ? Concrete : Steel);
    for (int y = 6; y <= 7; ++y)
        for (int x = 13; x <= 15; ++x)
            set(x, y, TerrainCode::Ice, Ice);
    set(13, 3, TerrainCode::Ground, Ground, Crate);
    set(14, 3, TerrainCode::Ground, Ground, Crate);

    // Woods on layer 2 over the ground of layer 1.
    const int trees[][3] = {{0, 7, Tree},  {1, 7, Pine},  {0, 8, Pine},  {1, 8, Tree},   {2, 8, Bush}, {0, 9, Tree},
                            {1, 9, Bush},  {13, 1, Pine}, {14, 1, Tree}, {5, 6, Rocks},  {5, 2, Bush}, {9, 6, Bush},
                            {2, 10, Tree}, {14, 9, Pine}, {15, 9, Tree}, {15, 10, Pine}, {0, 2, Rocks}};
    for (const auto &t : trees)
        set(t[0], t[1], TerrainCode::Ground, t[1] >= 6 ? Grass : Ground, std::uint8_t(t[2]));
    return map;
}

bool writeText(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample <folder>\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    QByteArray catalogue;
    for (const Sprite &sprite : sprites()) {
        const QString name = QString::fromLatin1(sprite.name);
        const QString path = folder + QLatin1Char('/') + QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!QDir().mkpath(QFileInfo(path).path()) || !sprite.draw().save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        catalogue += QByteArray::number(sprite.slot) + '=' + sprite.name + "\r\n";
    }
    if (!writeText(folder + QStringLiteral("/tileset.dat"), catalogue)) {
        std::fprintf(stderr, "cannot write tileset.dat\n");
        return 1;
    }
    if (const MapWriteResult written = writeMapFile(folder + QStringLiteral("/sample.kmp"), sampleMap());
        !written.ok()) {
        std::fprintf(stderr, "cannot write sample.kmp: %s\n", qPrintable(written.reason));
        return 1;
    }
    return 0;
}
