#include "core/html.h"

#include <QRegularExpression>

namespace mirel::core {

QString charsetMeta() {
    return QStringLiteral(
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">");
}

QString withCharset(const QString& page) {
    static const QRegularExpression declared(QStringLiteral("<meta[^>]*charset"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (declared.match(page).hasMatch()) return page;
    static const QRegularExpression head(QStringLiteral("<head(\\s[^>]*)?>"),
                                         QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = head.match(page);
    if (m.hasMatch()) {
        QString out = page;
        out.insert(m.capturedEnd(), charsetMeta());
        return out;
    }
    static const QRegularExpression html(QStringLiteral("<html(\\s[^>]*)?>"),
                                         QRegularExpression::CaseInsensitiveOption);
    m = html.match(page);
    const qsizetype at = m.hasMatch() ? m.capturedEnd() : 0;
    QString out = page;
    out.insert(at, QStringLiteral("<head>") + charsetMeta() + QStringLiteral("</head>"));
    return out;
}

} // namespace mirel::core
