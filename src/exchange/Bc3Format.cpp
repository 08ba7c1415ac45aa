#include "exchange/Bc3Format.h"

#include <QLocale>
#include <QRegularExpression>

namespace korvex::exchange {

namespace {
QString figure(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}
} // namespace

QString ownComment(const Bc3OwnHeader& header) {
    return QStringLiteral("KORVEX HERRAMIENTA=%1 CI=%2 OI=%3")
        .arg(header.herramienta ? 1 : 0)
        .arg(figure(header.costosIndirectos), figure(header.otrosIndirectos));
}

std::optional<Bc3OwnHeader> parseOwnComment(const QString& program, const QString& comment) {
    if (program.trimmed().compare(QLatin1String(kBc3Program), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    static const QRegularExpression form(QStringLiteral(
        "^KORVEX HERRAMIENTA=([01]) CI=(-?[0-9]+(?:\\.[0-9]+)?) OI=(-?[0-9]+(?:\\.[0-9]+)?)$"));
    const QRegularExpressionMatch match = form.match(comment.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    Bc3OwnHeader header;
    header.herramienta = match.captured(1) == QLatin1String("1");
    header.costosIndirectos = match.captured(2).toDouble();
    header.otrosIndirectos = match.captured(3).toDouble();
    return header;
}

} // namespace korvex::exchange
