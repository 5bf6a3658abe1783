#include "platform/codec.h"

#include <algorithm>
#include <array>
#include <QHash>
#include <QStringDecoder>

namespace mirel::platform {
namespace {

struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    explicit CodePage(const char* name) {
        for (int b = 0; b < 256; ++b) {
            QStringDecoder decoder(name);
            const char byte = char(b);
            const QString s = decoder(QByteArray(&byte, 1));
            char16_t c = char16_t(b);
            if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter) c = s.at(0).unicode();
            toUnicode[b] = c;
            if (!fromUnicode.contains(c)) fromUnicode.insert(c, byte);
        }
    }

    QString decode(const QByteArray& bytes) const {
        QString out(bytes.size(), Qt::Uninitialized);
        QChar* dst = out.data();
        for (char b : bytes)
            *dst++ = QChar(toUnicode[static_cast<unsigned char>(b)]);
        return out;
    }

    QByteArray encode(const QString& text) const {
        QByteArray out(text.size(), Qt::Uninitialized);
        char* dst = out.data();
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80) {
                *dst++ = char(u);
                continue;
            }
            auto it = fromUnicode.constFind(u);
            *dst++ = it == fromUnicode.cend() ? '?' : it.value();
        }
        return out;
    }
};

const CodePage& cp1251() {
    static const CodePage page("windows-1251");
    return page;
}

const CodePage& cp866() {
    static const CodePage page("IBM866");
    return page;
}

} // namespace

QString decode1251(const QByteArray& bytes) {
    return cp1251().decode(bytes);
}

void decode1251(QByteArrayView bytes, QString& into) {
    const char16_t* table = cp1251().toUnicode.data();
    into.resize(bytes.size());
    QChar* dst = into.data();
    for (char b : bytes)
        *dst++ = QChar(table[static_cast<unsigned char>(b)]);
}

const char16_t* table1251() {
    return cp1251().toUnicode.data();
}
QByteArray encode1251(const QString& text) {
    return cp1251().encode(text);
}
QString decode866(const QByteArray& bytes) {
    return cp866().decode(bytes);
}
QByteArray encode866(const QString& text) {
    return cp866().encode(text);
}

QString toOem(const QString& text) {
    return decode1251(encode866(decode1251(encode1251(text))));
}

bool looksLikeUtf8(const QByteArray& bytes) {
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace mirel::platform
