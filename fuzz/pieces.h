#pragma once

#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <random>

// Places to cut a body at, chosen by the input's first byte: the same input always gives the same pieces.
inline QList<QByteArrayView> pieces(QByteArrayView body, std::uint8_t seed)
{
    std::minstd_rand random(seed + 1u);
    QList<QByteArrayView> out;
    while (!body.isEmpty()) {
        const qsizetype size = qMin<qsizetype>(body.size(), qsizetype(random() % 9)); // empty pieces too
        out.append(body.first(size));
        body = body.sliced(size);
    }
    return out;
}
