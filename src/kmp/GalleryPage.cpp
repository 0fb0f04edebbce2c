#include "GalleryPage.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestrun::kmp {
namespace {

// The page's fixed parts. The policy forbids everything but the page's own
// style and script and pictures beside it.
const QString Head = uR"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%1</title>
<style>
body { font: 14px/1.4 sans-serif; margin: 0; background: #f3f4f6; color: #1f2937; }
header { position: sticky; top: 0; display: flex; flex-wrap: wrap; gap: 12px; align-items: center;
         padding: 10px 16px; background: #1f2937; color: #f9fafb; }
header h1 { font-size: 17px; margin: 0 12px 0 0; }
header input, header select { font: inherit; padding: 4px 6px; }
main { display: grid; grid-template-columns: repeat(auto-fill, minmax(%2px, 1fr)); gap: 14px; padding: 16px; }
.card { background: #fff; border-radius: 6px; box-shadow: 0 1px 3px #0003; margin: 0; overflow: hidden; }
.card img, .card .none { display: block; width: 100%; height: auto; background: #d1d5db; image-rendering: auto; }
.card .none { aspect-ratio: 642 / 440; display: grid; place-items: center; color: #6b7280; }
.card figcaption { padding: 8px 10px; }
.name { font-weight: bold; overflow-wrap: anywhere; }
.status { display: inline-block; border-radius: 3px; padding: 0 6px; margin-right: 6px; color: #fff; }
.clean { background: #15803d; } .warnings { background: #b45309; } .errors { background: #b91c1c; }
.unchecked { background: #6b7280; }
.card ul { margin: 6px 0 0; padding-left: 18px; color: #4b5563; font-size: 12px; overflow-wrap: anywhere; }
</style>
</head>
<body>
<header>
<h1>%3</h1>
<label>Name <input id="name" type="search" placeholder="part of a file name"></label>
<label>Status <select id="status">
<option value="">all</option><option>clean</option><option>warnings</option><option>errors</option><option>unchecked</option>
</select></label>
<span id="shown"></span>
</header>
<main>
)"_s;

const QString Tail = uR"(</main>
<script>
"use strict";
const nameBox = document.getElementById("name");
const statusBox = document.getElementById("status");
const cards = Array.from(document.querySelectorAll(".card"));
function filter() {
    const text = nameBox.value.trim().toLowerCase();
    let shown = 0;
    for (const card of cards) {
        card.hidden = !(card.dataset.name.includes(text) && (!statusBox.value || card.dataset.status === statusBox.value));
        shown += card.hidden ? 0 : 1;
    }
    document.getElementById("shown").textContent = shown + " of " + cards.length + " levels";
}
nameBox.addEventListener("input", filter);
statusBox.addEventListener("change", filter);
const query = new URLSearchParams(location.search);
if (query.has("selftest")) {
    nameBox.value = query.get("name") || "";
    statusBox.value = query.get("status") || "";
    addEventListener("load", () => {
        const broken = Array.from(document.querySelectorAll(".card img"))
            .filter(img => !(img.complete && img.naturalWidth > 0)).map(img => img.getAttribute("src"));
        const shown = cards.filter(card => !card.hidden).map(card => card.querySelector(".name").textContent);
        document.body.dataset.selftest = JSON.stringify({cards: cards.length, broken: broken, shown: shown});
    });
}
filter();
</script>
</body>
</html>
)"_s;

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString cardHtml(const GalleryCard &card)
{
    QString html = u"<figure class=\"card\" data-name=\"%1\" data-status=\"%2\" title=\"%3\">\n"_s.arg(
        escaped(card.name.toLower()), card.status, escaped(card.path));
    if (card.picture.isEmpty()) {
        html += u"<div class=\"none\">no picture</div>\n"_s;
    } else {
        const QString source = u"thumbs/"_s + QString::fromLatin1(QUrl::toPercentEncoding(card.picture));
        // One arg() call: a name's own "%1" or a percent-encoded "%3C" is never a placeholder.
        html += u"<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">\n"_s.arg(
            escaped(source), QString::number(card.pictureSize.width()), QString::number(card.pictureSize.height()),
            escaped(card.name));
    }
    html += u"<figcaption><div class=\"name\">%1</div>\n<span class=\"status %2\">%2</span>"_s.arg(escaped(card.name),
                                                                                                   card.status);
    if (card.sprites >= 0)
        html += card.sprites == 1 ? u"1 sprite"_s : u"%1 sprites"_s.arg(card.sprites);
    if (!card.findings.isEmpty()) {
        html += u"\n<ul>"_s;
        for (const QString &finding : card.findings)
            html += u"<li>"_s + escaped(finding) + u"</li>"_s;
        html += u"</ul>"_s;
    }
    return html + u"</figcaption>\n</figure>\n"_s;
}

} // namespace

QByteArray galleryPage(const QString &title, const std::vector<GalleryCard> &cards)
{
    int columnWidth = 160;
    for (const GalleryCard &card : cards)
        columnWidth = std::max(columnWidth, card.pictureSize.width());
    QString html = Head.arg(escaped(title), QString::number(columnWidth), escaped(title));
    for (const GalleryCard &card : cards)
        html += cardHtml(card);
    html += Tail;
    return html.toUtf8();
}

} // namespace kestrun::kmp
