#pragma once

#include "engine/sample.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cmath>
#include <iterator>

// log.txt read back without the code that wrote it.

namespace log_read_back {

// A logged number against the sample's value: the value rounded to `significant` digits and
// then to the decimals shown, so within half a unit of the coarser of the two.
inline bool RoundsTo(const QByteArray& field, float value, int significant)
{
    bool ok = false;
    const double shown = field.toDouble(&ok);
    if (!ok)
        return false;
    const qsizetype point = field.indexOf('.');
    const qsizetype exponent = field.indexOf('E');
    const qsizetype end = exponent < 0 ? field.size() : exponent;
    const qsizetype decimals = point < 0 ? 0 : end - point - 1;
    double unit = std::pow(10.0, -static_cast<double>(decimals));
    if (exponent >= 0)
        unit *= std::pow(10.0, field.mid(exponent + 1).toDouble());
    const double magnitude = std::abs(static_cast<double>(value));
    if (magnitude > 0)
        unit = std::max(unit, std::pow(10.0, std::floor(std::log10(magnitude)) - significant + 1));
    return std::abs(shown - static_cast<double>(value)) <= unit * 0.5 * (1 + 1e-9);
}

// log.txt read back as a user's script reads it: a header, then one CR LF line per sample
// with its index, its switch levels, and numbers that round to the sample's values.
inline QString CheckLogLines(const QByteArray& text, const engine::SampleBuffer& run)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() != run.SampleCount + 2 || !lines.back().isEmpty())
        return QString("log.txt has %1 lines for %2 samples").arg(lines.size() - 1).arg(run.SampleCount);
    static constexpr int kFloatColumns[] = {1, 2, 9, 10, 11, 12, 13};
    // The significant digits of each: the time 10, the angle 7, the voltages 5.
    static constexpr int kSignificant[] = {10, 7, 5, 5, 5, 5, 5};
    for (int i = 0; i < run.SampleCount; ++i) {
        QByteArray line = lines[i + 1];
        if (!line.endsWith('\r'))
            return QString("log.txt line %1 does not end in CR LF").arg(i + 2);
        line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        const engine::TSampleRec& r = run.Samples[static_cast<std::size_t>(i)];
        if (fields.size() != 14 || fields[0] != QByteArray::number(i))
            return QString("log.txt line %1: \"%2\"").arg(i + 2).arg(QString::fromLatin1(line));
        for (int k = 0; k < 6; ++k) {
            if (fields[3 + k] != QByteArray::number(r.Switch[k]))
                return QString("log.txt line %1: switch %2 is not %3").arg(i + 2).arg(k).arg(r.Switch[k]);
        }
        const float values[] = {r.Time,      r.Angle,     r.PhaseV[0], r.PhaseV[1],
                                r.PhaseV[2], r.VZero,     r.VBatt};
        for (std::size_t c = 0; c < std::size(values); ++c) {
            const QByteArray& field = fields[kFloatColumns[c]];
            if (!RoundsTo(field, values[c], kSignificant[c]))
                return QString("log.txt line %1 column %2: \"%3\" is not %4")
                    .arg(i + 2)
                    .arg(kFloatColumns[c] + 1)
                    .arg(QString::fromLatin1(field))
                    .arg(static_cast<double>(values[c]), 0, 'g', 9);
        }
    }
    return {};
}

} // namespace log_read_back
