#pragma once
// Reading committed files for the tests that hold them against their byte layout: the whole
// file, and the numbers inside it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

// A file of content/, where the program's documents and pictures are committed.
inline QString contentPath(const QString& name)
{
    return QStringLiteral(TAMSEL_CONTENT_DIR "/") + name;
}

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline quint8 u8(const QByteArray& data, qsizetype pos)
{
    return static_cast<quint8>(data.at(pos));
}

// A little-endian number of type T at pos.
template <typename T> T le(const QByteArray& data, qsizetype pos)
{
    return qFromLittleEndian<T>(data.constData() + pos);
}
