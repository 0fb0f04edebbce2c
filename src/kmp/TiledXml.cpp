// TMX and TSX, read with entities never expanded: a document that declares a
// DTD or refers to an entity is refused.
#include "TiledDocument.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace kestrun::kmp::tiled {
namespace {

class TmxReader {
public:
    explicit TmxReader(QByteArrayView data)
        : m_xml(data.toByteArray())
    {
    }

    // Moves to the next start or end element; false at the end, on an error
    // or on anything that could expand an entity.
    bool next()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::DTD: return refuse(u"it declares a DTD, which kmp never reads"_s);
            case QXmlStreamReader::EntityReference: return refuse(u"it refers to an entity, which kmp never expands"_s);
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement: return true;
            case QXmlStreamReader::Characters:
                if (m_collecting)
                    m_text += m_xml.text().toUtf8();
                break;
            default: break;
            }
        }
        return false;
    }

    // Reads up to the end of the element just started, skipping its children.
    void skip()
    {
        for (int depth = 1; depth > 0 && next();)
            depth += m_xml.isStartElement() ? 1 : -1;
    }

    QString error() const
    {
        if (!m_error.isEmpty())
            return m_error;
        if (m_xml.hasError())
            return u"line %1: %2"_s.arg(m_xml.lineNumber()).arg(m_xml.errorString());
        return {};
    }

    QString attribute(const QString &name) const { return m_xml.attributes().value(name).toString(); }
    int number(const QString &name) const
    {
        bool ok = false;
        const int value = m_xml.attributes().value(name).toInt(&ok);
        return ok ? value : -1;
    }

    QXmlStreamReader m_xml;
    bool m_collecting = false;
    QByteArray m_text;

private:
    bool refuse(const QString &why)
    {
        m_error = why;
        return false;
    }

    QString m_error;
};

void readProperties(TmxReader &reader, QMap<QString, Property> &properties)
{
    while (reader.next() && reader.m_xml.isStartElement()) {
        if (reader.m_xml.name() != u"property"_s) {
            reader.skip();
            continue;
        }
        const QString name = reader.attribute(u"name"_s);
        QString type = reader.attribute(u"type"_s);
        const bool hasValue = reader.m_xml.attributes().hasAttribute(u"value"_s);
        Property property{type.isEmpty() ? u"string"_s : type, reader.attribute(u"value"_s)};
        // A value with line breaks is the element's text instead.
        reader.m_collecting = !hasValue;
        reader.m_text.clear();
        reader.skip();
        reader.m_collecting = false;
        if (!hasValue)
            property.value = QString::fromUtf8(reader.m_text);
        properties.insert(name, property);
    }
}

// The <data> element just started: CSV, base64 (compressed or not) or one
// <tile gid="..."/> a tile.
LayerTiles readData(TmxReader &reader, int expectedTiles)
{
    const QString encoding = reader.attribute(u"encoding"_s);
    const QString compression = reader.attribute(u"compression"_s);
    LayerTiles xmlTiles;
    bool chunked = false;
    reader.m_collecting = true;
    reader.m_text.clear();
    while (reader.next() && reader.m_xml.isStartElement()) {
        if (reader.m_xml.name() == u"chunk"_s)
            chunked = true;
        else if (reader.m_xml.name() == u"tile"_s && int(xmlTiles.gids.size()) <= expectedTiles)
            xmlTiles.gids.push_back(reader.attribute(u"gid"_s).toUInt());
        reader.skip();
    }
    reader.m_collecting = false;
    if (chunked)
        return {{}, u"the layer is stored in chunks, as an infinite map's"_s};
    if (encoding == u"csv"_s)
        return tilesFromCsv(reader.m_text, expectedTiles);
    if (encoding == u"base64"_s)
        return tilesFromBase64(reader.m_text, compression, expectedTiles);
    if (!encoding.isEmpty())
        return {{}, u"the layer is encoded as \"%1\", which kmp does not read"_s.arg(encoding)};
    if (int(xmlTiles.gids.size()) != expectedTiles)
        return {{}, u"the layer holds %1 tiles, not %2"_s.arg(xmlTiles.gids.size()).arg(expectedTiles)};
    return xmlTiles;
}

TileLayer readLayer(TmxReader &reader, int expectedTiles)
{
    TileLayer layer{reader.attribute(u"name"_s), reader.number(u"width"_s), reader.number(u"height"_s), {}};
    layer.tiles.error = u"the layer has no data"_s;
    while (reader.next() && reader.m_xml.isStartElement()) {
        if (reader.m_xml.name() == u"data"_s)
            layer.tiles = readData(reader, expectedTiles);
        else
            reader.skip();
    }
    return layer;
}

} // namespace

TiledDocument readTmx(QByteArrayView data, int expectedTiles)
{
    TiledDocument document;
    TmxReader reader(data);
    if (!reader.next() || reader.m_xml.name() != u"map"_s) {
        document.error = reader.error().isEmpty() ? u"it is not a Tiled map"_s : reader.error();
        return document;
    }
    document.width = reader.number(u"width"_s);
    document.height = reader.number(u"height"_s);
    document.infinite = reader.attribute(u"infinite"_s) == u"1"_s;
    while (reader.next() && reader.m_xml.isStartElement()) {
        const auto name = reader.m_xml.name();
        if (name == u"properties"_s) {
            readProperties(reader, document.properties);
        } else if (name == u"tileset"_s) {
            document.tilesets.push_back({reader.attribute(u"firstgid"_s).toUInt(), reader.attribute(u"source"_s),
                                         reader.attribute(u"name"_s), reader.number(u"tilecount"_s)});
            reader.skip();
        } else if (name == u"layer"_s) {
            document.layers.push_back(readLayer(reader, expectedTiles));
        } else {
            reader.skip();
        }
    }
    // Nothing may follow the map but its end: a fault there is still a fault.
    while (reader.next()) {
    }
    document.error = reader.error();
    return document;
}

TilesetFile readTsx(QByteArrayView data)
{
    TilesetFile tileset;
    TmxReader reader(data);
    if (!reader.next() || reader.m_xml.name() != u"tileset"_s) {
        tileset.error = reader.error().isEmpty() ? u"it is not a Tiled tileset"_s : reader.error();
        return tileset;
    }
    tileset.name = reader.attribute(u"name"_s);
    tileset.tileCount = reader.number(u"tilecount"_s);
    reader.skip();
    while (reader.next()) {
    }
    tileset.error = reader.error();
    return tileset;
}

} // namespace kestrun::kmp::tiled
