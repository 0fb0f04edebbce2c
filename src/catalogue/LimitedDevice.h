#pragma once

#include <QIODevice>

namespace kestrun {

// Reads another device (already open, at its start) through a limit on the
// bytes taken from it: past the limit a read fails, as at a damaged end, and
// overran() tells why. A decoder given this device cannot read more of a
// file than allowed, whatever the file says of itself.
class LimitedDevice final : public QIODevice {
public:
    LimitedDevice(QIODevice &source, qint64 limit);

    // The bytes taken from the source so far, each counted once.
    qint64 taken() const { return m_taken; }
    // Whether a read asked for bytes past the limit that the source had.
    bool overran() const { return m_overran; }

    bool isSequential() const override { return m_source.isSequential(); }
    qint64 size() const override { return m_source.size(); }
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice &m_source;
    qint64 m_limit;
    qint64 m_taken = 0;
    bool m_overran = false;
};

} // namespace kestrun
