#pragma once

#include <QByteArray>
#include <QtEndian>

// The little-endian fields of a Windows bitmap file's headers; the caller has checked that the
// bytes reach that far.
namespace BmpFields {

inline quint16 u16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

inline qint32 s32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}

} // namespace BmpFields
