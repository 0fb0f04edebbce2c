#pragma once

class QLocale;

namespace kestrun {

// Puts Qt's own texts (the file dialogs' titles and buttons, the message and
// input boxes' OK and Cancel) into `locale`'s language, from the catalogue
// Qt installs with its translations (Debian: qt6-translations-l10n). False,
// and nothing changed, when there is none for that language: Qt then speaks
// English. The editor's own texts are written in their language already.
bool installQtTranslation(const QLocale &locale);

} // namespace kestrun
