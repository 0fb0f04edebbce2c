#include "kmp/MapStreamWrite.h"

namespace kestrun::kmp {

WriteResult writeMapStream(const QString &path, const ContentProducer &produce)
{
    QByteArray content;
    const QString problem = produce([&content](QByteArrayView bytes) {
        content += bytes;
        return true;
    });
    if (!problem.isEmpty()) {
        WriteResult abandoned;
        abandoned.status = WriteStatus::Failed;
        abandoned.reason = problem;
        return abandoned;
    }
    return writeWholeFile(path, content);
}

} // namespace kestrun::kmp
