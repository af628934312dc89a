#include "ui/custom_pointer.h"

#include "ui/window_helpers.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace ornavex {
namespace {

constexpr int kHeaderBytes = 6;
constexpr int kEntryBytes = 16;
constexpr quint16 kCursorType = 2;
constexpr quint16 kIconType = 1;

} // namespace

std::optional<QCursor> LoadCustomPointer(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(16 << 20);
    if (bytes.size() < kHeaderBytes + kEntryBytes)
        return std::nullopt;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (qFromLittleEndian<quint16>(data) != 0 ||
        qFromLittleEndian<quint16>(data + 2) != kCursorType)
        return std::nullopt;
    // A cursor file is an icon file whose first entry holds the hot spot
    // where an icon keeps its planes and bit count.
    const int hotX = qFromLittleEndian<quint16>(data + kHeaderBytes + 4);
    const int hotY = qFromLittleEndian<quint16>(data + kHeaderBytes + 6);
    qToLittleEndian<quint16>(kIconType, bytes.data() + 2);
    qToLittleEndian<quint16>(1, bytes.data() + kHeaderBytes + 4);
    qToLittleEndian<quint16>(32, bytes.data() + kHeaderBytes + 6);
    QImage image;
    if (!image.loadFromData(bytes, "ICO") || image.isNull())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

QString CustomPointerFile() {
    return ProgramFile(QStringLiteral("HAND-M.CUR"));
}

} // namespace ornavex
