#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// Fuzz bytes as text: UTF-16 code units taken two bytes at a time, so that
// every code unit (unpaired surrogates included) can reach the rules.
inline QString FuzzText(const uint8_t *data, size_t size)
{
    QString text;
    text.reserve(qsizetype(size / 2));
    for (size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return text;
}

// Splits the input into pieces at a 0xFFFF code unit.
inline QStringList FuzzPieces(const uint8_t *data, size_t size, int count)
{
    QStringList pieces = FuzzText(data, size).split(QChar(0xFFFF));
    while (pieces.size() < count)
        pieces.append(QString());
    return pieces;
}
