#pragma once

#include "io/WholeFileWrite.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace kestrun::kmp {

// A map whose content is made as it is written: the producer hands its bytes
// to the sink in order, and returns the empty string, or why the content
// could not be made (the write is then abandoned, the file left as it was).
using ByteSink = std::function<bool(QByteArrayView)>;
using ContentProducer = std::function<QString(const ByteSink &)>;

// Until the io layer writes a map from a stream, the content is gathered here
// and written whole.
WriteResult writeMapStream(const QString &path, const ContentProducer &produce);

} // namespace kestrun::kmp
