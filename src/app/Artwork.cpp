#include "Artwork.h"

#include "PaintedIconEngine.h"
#include "Terrain.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

// The editor's own artwork, drawn in code. Toolbar images are drawn in a
// 16 x 16 design space, the application icon in 32 x 32; 1-unit lines sit on
// half units so they fall on whole pixels at 16 and at 32 device pixels.
// Backgrounds are transparent.
namespace kestrun {
namespace {

const QColor Outline(64, 64, 64);
const QColor PlayerColor(32, 96, 224);
const QColor EnemyColor(220, 32, 32);

QPen pen(const QColor &color, qreal width = 1.0)
{
    QPen p(color, width);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// --- file and edit commands ---------------------------------------------

void drawNew(QPainter &p)
{
    p.setPen(pen(Outline));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}}));
    p.setBrush(QColor(208, 208, 208));
    p.drawPolygon(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
    // A spark in the corner: a new, blank page.
    p.setPen(roundPen(QColor(240, 176, 0), 1.2));
    p.drawLine(QPointF(2.5, 9.5), QPointF(7.5, 9.5));
    p.drawLine(QPointF(5.0, 7.0), QPointF(5.0, 12.0));
}

void drawOpen(QPainter &p)
{
    const QColor edge(136, 96, 16);
    p.setPen(pen(edge));
    p.setBrush(QColor(216, 168, 64));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(QColor(255, 216, 104));
    p.drawPolygon(QPolygonF({{1.5, 13.5}, {4.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}}));
}

void drawSave(QPainter &p)
{
    p.setPen(pen(QColor(24, 40, 96)));
    p.setBrush(QColor(56, 88, 176));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(QColor(176, 184, 200));
    p.drawRect(QRectF(4.5, 10, 7, 4));
    p.setBrush(QColor(24, 40, 96));
    p.drawRect(QRectF(9, 10.5, 1.5, 3));
}

void drawDelete(QPainter &p)
{
    const QLineF strokes[] = {{3.5, 3.5, 12.5, 12.5}, {12.5, 3.5, 3.5, 12.5}};
    p.setPen(roundPen(QColor(120, 0, 0), 3.6));
    p.drawLines(strokes, 2);
    p.setPen(roundPen(EnemyColor, 2.0));
    p.drawLines(strokes, 2);
}

void drawUndo(QPainter &p)
{
    const QColor blue(32, 96, 192);
    QPainterPath shaft;
    shaft.moveTo(13.0, 13.0);
    shaft.cubicTo(13.5, 7.0, 10.0, 5.5, 6.0, 5.5);
    p.setPen(roundPen(blue, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({{1.5, 5.5}, {7.0, 1.0}, {7.0, 10.0}}));
}

// --- game objects ---------------------------------------------------------

// A walled base with a flag in the side's colour.
void drawBase(QPainter &p, const QColor &side)
{
    p.setPen(pen(Outline));
    p.setBrush(QColor(184, 184, 184));
    p.drawPolygon(QPolygonF({{1.5, 14.5},
                             {1.5, 7.5},
                             {4.5, 7.5},
                             {4.5, 9.5},
                             {6.5, 9.5},
                             {6.5, 7.5},
                             {9.5, 7.5},
                             {9.5, 9.5},
                             {11.5, 9.5},
                             {11.5, 7.5},
                             {14.5, 7.5},
                             {14.5, 14.5}}));
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    QPainterPath gate;
    gate.moveTo(6.0, 14.5);
    gate.lineTo(6.0, 12.5);
    gate.arcTo(QRectF(6.0, 10.5, 4.0, 4.0), 180, -180);
    gate.lineTo(10.0, 14.5);
    gate.closeSubpath();
    p.drawPath(gate);
    p.setPen(pen(Outline));
    p.drawLine(QPointF(8.0, 7.5), QPointF(8.0, 0.5));
    p.setPen(pen(side.darker(160)));
    p.setBrush(side);
    p.drawPolygon(QPolygonF({{8.0, 0.5}, {14.5, 2.5}, {8.0, 4.5}}));
}

void drawPlayerBase(QPainter &p)
{
    drawBase(p, PlayerColor);
}
void drawEnemyBase(QPainter &p)
{
    drawBase(p, EnemyColor);
}

// A spawn point: a ring with four sights and a dot, in the side's colour.
void drawRespawn(QPainter &p, const QColor &side)
{
    const QPointF centre(8.0, 8.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(side.darker(150), 3.0));
    p.drawEllipse(centre, 5.0, 5.0);
    p.setPen(pen(side, 1.6));
    p.drawEllipse(centre, 5.0, 5.0);
    p.setPen(pen(side.darker(150), 1.5));
    p.drawLine(QPointF(8.0, 0.5), QPointF(8.0, 3.0));
    p.drawLine(QPointF(8.0, 13.0), QPointF(8.0, 15.5));
    p.drawLine(QPointF(0.5, 8.0), QPointF(3.0, 8.0));
    p.drawLine(QPointF(13.0, 8.0), QPointF(15.5, 8.0));
    p.setPen(Qt::NoPen);
    p.setBrush(side);
    p.drawEllipse(centre, 2.0, 2.0);
}

void drawEnemyRespawn(QPainter &p)
{
    drawRespawn(p, EnemyColor);
}
void drawPlayerRespawn(QPainter &p)
{
    drawRespawn(p, PlayerColor);
}

// Routes: a path through waypoints, from a start to a flag.
void drawRoutes(QPainter &p)
{
    const QPointF points[] = {{2.5, 13.0}, {5.5, 6.0}, {10.0, 11.0}, {13.0, 3.5}};
    p.setPen(roundPen(QColor(152, 96, 24), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points, 4);
    p.setPen(pen(Outline, 1.0));
    p.setBrush(QColor(255, 232, 128));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(points[i], 1.8, 1.8);
    p.setPen(pen(Outline));
    p.drawLine(QPointF(13.0, 4.5), QPointF(13.0, 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 160, 0));
    p.drawPolygon(QPolygonF({{13.5, 0.5}, {16.0, 1.5}, {13.5, 2.8}}));
}

// --- terrain brushes --------------------------------------------------------

// The brush shows the very colour the canvas paints its terrain in.
QColor terrainSwatch(TerrainCode code)
{
    return QColor::fromRgb(terrainColor(code));
}

// A swatch of the terrain's colour with a border that shows on any
// background; the texture keeps clear of the middle, which is the pure colour.
void drawSwatch(QPainter &p, const QColor &fill, const QColor &border)
{
    p.setPen(pen(border));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
}

void drawGround(QPainter &p)
{
    drawSwatch(p, terrainSwatch(TerrainCode::Ground), Outline);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 176, 0));
    const QPointF tufts[] = {{4.5, 4.5}, {11.0, 4.0}, {4.0, 11.5}, {11.5, 11.0}, {7.5, 3.5}, {12.5, 7.5}};
    for (const QPointF &tuft : tufts)
        p.drawEllipse(tuft, 0.8, 0.8);
}

void drawBeton(QPainter &p)
{
    drawSwatch(p, terrainSwatch(TerrainCode::Beton), QColor(128, 128, 128));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 96));
    const QPointF rivets[] = {{4.0, 4.0}, {12.0, 4.0}, {4.0, 12.0}, {12.0, 12.0}};
    for (const QPointF &rivet : rivets)
        p.drawEllipse(rivet, 0.9, 0.9);
}

void drawBrick(QPainter &p)
{
    drawSwatch(p, terrainSwatch(TerrainCode::Brick), Outline);
    // Three courses; the middle one's joints stand off the centre.
    p.setPen(pen(QColor(176, 136, 0)));
    p.drawLine(QPointF(2.0, 5.5), QPointF(14.0, 5.5));
    p.drawLine(QPointF(2.0, 10.5), QPointF(14.0, 10.5));
    p.drawLine(QPointF(8.5, 2.0), QPointF(8.5, 5.0));
    p.drawLine(QPointF(4.5, 6.0), QPointF(4.5, 10.0));
    p.drawLine(QPointF(11.5, 6.0), QPointF(11.5, 10.0));
    p.drawLine(QPointF(8.5, 11.0), QPointF(8.5, 14.0));
}

void drawWater(QPainter &p)
{
    drawSwatch(p, terrainSwatch(TerrainCode::Water), Outline);
    p.setPen(roundPen(QColor(112, 168, 255), 1.0));
    p.setBrush(Qt::NoBrush);
    for (qreal y : {4.5, 12.0}) {
        QPainterPath wave;
        wave.moveTo(3.0, y);
        wave.quadTo(4.75, y - 1.5, 6.5, y);
        wave.quadTo(8.25, y + 1.5, 10.0, y);
        wave.quadTo(11.75, y - 1.5, 13.0, y);
        p.drawPath(wave);
    }
}

void drawIce(QPainter &p)
{
    drawSwatch(p, terrainSwatch(TerrainCode::Ice), Outline);
    p.setPen(roundPen(QColor(144, 192, 240), 1.0));
    p.drawLine(QPointF(3.5, 6.5), QPointF(6.5, 3.5));
    p.drawLine(QPointF(3.5, 9.0), QPointF(9.0, 3.5));
    p.drawLine(QPointF(9.5, 12.5), QPointF(12.5, 9.5));
}

// --- application icon (32 x 32 design) --------------------------------------

void drawApplication(QPainter &p)
{
    // A 4 x 4 corner of a level: ground, a brick wall, water, and the player's
    // base standing on it.
    const QColor ground(0, 224, 0), brick(240, 220, 0), water(0, 64, 255), beton(48, 48, 48);
    const std::array<std::array<QColor, 4>, 4> cells = {{
        {water, water, ground, ground},
        {water, ground, ground, brick},
        {ground, beton, ground, ground},
        {ground, brick, brick, ground},
    }};
    QPainterPath board;
    board.addRoundedRect(QRectF(0.5, 0.5, 31, 31), 3, 3);
    p.save();
    p.setClipPath(board);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            p.fillRect(QRectF(x * 8.0, y * 8.0, 8.0, 8.0), cells[y][x]);
            if (cells[y][x] == brick) {
                p.setPen(pen(QColor(160, 120, 0), 0.8));
                p.drawLine(QPointF(x * 8.0, y * 8.0 + 4.0), QPointF(x * 8.0 + 8.0, y * 8.0 + 4.0));
                p.drawLine(QPointF(x * 8.0 + 4.0, y * 8.0), QPointF(x * 8.0 + 4.0, y * 8.0 + 4.0));
            }
        }
    }
    p.setPen(pen(QColor(0, 0, 0, 70), 0.6));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(QPointF(i * 8.0, 0), QPointF(i * 8.0, 32));
        p.drawLine(QPointF(0, i * 8.0), QPointF(32, i * 8.0));
    }
    p.restore();
    p.setPen(pen(QColor(32, 32, 32), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(board);
    // The base, drawn at 18 units in the lower middle.
    p.save();
    p.translate(7.0, 12.5);
    p.scale(18.0 / 16.0, 18.0 / 16.0);
    drawBase(p, PlayerColor);
    p.restore();
}

using Drawing = PaintedIconEngine::Drawing;

// Images 1..15 of the toolbar's image list.
constexpr std::array<Drawing, 15> ToolbarDrawings = {
    drawNew,           drawOpen,   drawSave,   drawDelete, drawUndo,  drawPlayerBase, drawEnemyBase, drawEnemyRespawn,
    drawPlayerRespawn, drawRoutes, drawGround, drawBeton,  drawBrick, drawWater,      drawIce,
};

// The platform's own icon for the commands every program has, where its
// theme has one.
const char *const ThemeNames[] = {"document-new", "document-open", "document-save", "edit-delete", "edit-undo"};

// Whether the platform names an icon theme worth asking. The freedesktop
// fallback theme "hicolor" holds application icons only: asking it for
// "document-new" always misses, after a scan of the icon folders that costs
// start-up several milliseconds.
bool themeHasCommandIcons()
{
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

QIcon painted(Drawing drawing, int designSize, QList<QSize> sizes)
{
    return QIcon(new PaintedIconEngine(drawing, designSize, std::move(sizes)));
}

} // namespace

QIcon toolbarImage(int index)
{
    if (index < 1 || index > static_cast<int>(ToolbarDrawings.size()))
        return QIcon();
    QIcon own = painted(ToolbarDrawings[index - 1], 16, {QSize(16, 16), QSize(32, 32)});
    if (index <= static_cast<int>(std::size(ThemeNames)) && themeHasCommandIcons())
        return QIcon::fromTheme(QString::fromLatin1(ThemeNames[index - 1]), own);
    return own;
}

QIcon applicationIcon()
{
    return painted(drawApplication, 32, {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64), QSize(128, 128)});
}

} // namespace kestrun
