#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kestrun::kmp {

// Writes `data` to `path` through a temporary file beside it, renamed over the
// target once every byte is written: the target is either the complete new
// file or exactly what it was, and a failure leaves nothing behind. Only a
// regular file (or nothing) is replaced. Returns the reason on failure.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &data);

} // namespace kestrun::kmp
