#include "exif_builder.h"

namespace shutterhand::test {

QByteArray ExifBuilder::u16(quint16 v) const
{
    const char hi = char(v >> 8), lo = char(v & 0xFF);
    return m_big ? QByteArray{} + hi + lo : QByteArray{} + lo + hi;
}

QByteArray ExifBuilder::u32(quint32 v) const
{
    return m_big ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16);
}

ExifBuilder& ExifBuilder::first(quint16 tag, quint16 type, quint32 count, const QByteArray& value)
{
    m_first.append({tag, type, count, value});
    return *this;
}

ExifBuilder& ExifBuilder::exif(quint16 tag, quint16 type, quint32 count, const QByteArray& value)
{
    m_exif.append({tag, type, count, value});
    return *this;
}

ExifBuilder& ExifBuilder::text(quint16 tag, const QByteArray& bytes, bool inExif)
{
    return inExif ? exif(tag, 2, quint32(bytes.size()), bytes) : first(tag, 2, quint32(bytes.size()), bytes);
}

ExifBuilder& ExifBuilder::shortValue(quint16 tag, quint16 value, bool inExif)
{
    return inExif ? exif(tag, 3, 1, u16(value)) : first(tag, 3, 1, u16(value));
}

ExifBuilder& ExifBuilder::longValue(quint16 tag, quint32 value, bool inExif)
{
    return inExif ? exif(tag, 4, 1, u32(value)) : first(tag, 4, 1, u32(value));
}

ExifBuilder& ExifBuilder::rational(quint16 tag, quint32 numerator, quint32 denominator, bool inExif)
{
    const QByteArray bytes = u32(numerator) + u32(denominator);
    return inExif ? exif(tag, 5, 1, bytes) : first(tag, 5, 1, bytes);
}

QByteArray ExifBuilder::directory(const QList<Entry>& entries, QByteArray& data, quint32 dataAt) const
{
    QByteArray out = u16(quint16(entries.size()));
    for (const Entry& e : entries) {
        out += u16(e.tag) + u16(e.type) + u32(e.count);
        if (e.value.size() <= 4) {
            out += e.value + QByteArray(4 - e.value.size(), '\0');
        } else {
            out += u32(dataAt + quint32(data.size()));
            data += e.value;
        }
    }
    out += u32(0);  // no next directory
    return out;
}

QByteArray ExifBuilder::tiff() const
{
    QList<Entry> first = m_first;
    const quint32 firstAt = 8;
    const quint32 firstSize = 2 + 12 * quint32(first.size() + (m_exif.isEmpty() ? 0 : 1)) + 4;
    const quint32 exifAt = firstAt + firstSize;
    const quint32 exifSize = m_exif.isEmpty() ? 0 : 2 + 12 * quint32(m_exif.size()) + 4;
    if (!m_exif.isEmpty())
        first.prepend({0x8769, 4, 1, u32(exifAt)});
    QByteArray data;
    const quint32 dataAt = exifAt + exifSize;
    QByteArray out = QByteArray(m_big ? "MM" : "II") + u16(42) + u32(firstAt);
    out += directory(first, data, dataAt);
    if (!m_exif.isEmpty())
        out += directory(m_exif, data, dataAt);
    return out + data;
}

QByteArray ExifBuilder::jpeg(const QByteArray& before) const
{
    return QByteArray("\xFF\xD8", 2) + before + jpegSegment(0xE1, QByteArray("Exif\0\0", 6) + tiff())
        + jpegSegment(0xDA, QByteArray(10, '\0')) + QByteArray("\x12\x34\xFF\xD9", 4);
}

QByteArray jpegSegment(quint8 marker, const QByteArray& payload)
{
    const int length = payload.size() + 2;
    return QByteArray{} + char(0xFF) + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

}  // namespace shutterhand::test
