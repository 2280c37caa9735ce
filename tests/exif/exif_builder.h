#pragma once

#include <QByteArray>
#include <QList>

namespace shutterhand::test {

// Builds the EXIF block of a JPEG file entry by entry, in either byte order, for cases that no camera
// file shows. Values that do not fit into an entry's four bytes go to a data area after the directories.
class ExifBuilder {
public:
    explicit ExifBuilder(bool bigEndian)
        : m_big(bigEndian)
    { }

    // An entry with its value bytes as stored (already in the builder's byte order where numeric).
    ExifBuilder& first(quint16 tag, quint16 type, quint32 count, const QByteArray& value);
    ExifBuilder& exif(quint16 tag, quint16 type, quint32 count, const QByteArray& value);

    ExifBuilder& text(quint16 tag, const QByteArray& bytes, bool inExif = false);  // ASCII, count = size
    ExifBuilder& shortValue(quint16 tag, quint16 value, bool inExif);
    ExifBuilder& longValue(quint16 tag, quint32 value, bool inExif);
    ExifBuilder& rational(quint16 tag, quint32 numerator, quint32 denominator, bool inExif = true);

    QByteArray u16(quint16 value) const;
    QByteArray u32(quint32 value) const;

    // The TIFF data: header, first directory, EXIF sub-directory (when it has entries), data area.
    QByteArray tiff() const;
    // A JPEG file: start of image, `before` (whole segments), the EXIF APP1 segment, a stub scan.
    QByteArray jpeg(const QByteArray& before = {}) const;

private:
    struct Entry {
        quint16 tag, type;
        quint32 count;
        QByteArray value;
    };
    QByteArray directory(const QList<Entry>& entries, QByteArray& data, quint32 dataAt) const;

    bool m_big;
    QList<Entry> m_first, m_exif;
};

// A JPEG segment with its marker and length.
QByteArray jpegSegment(quint8 marker, const QByteArray& payload);

}  // namespace shutterhand::test
