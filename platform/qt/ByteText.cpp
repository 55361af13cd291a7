#include "platform/qt/ByteText.h"

#include "platform/text/Utf8.h"

#include <QUrl>

namespace ryk {

namespace {

/// Where the surrogates that stand for single bytes begin: byte b is U+DC00 + b.
constexpr char16_t kByteBase = 0xDC00;

bool isByteMark(char16_t unit) {
    return unit >= kByteBase + 0x80 && unit <= kByteBase + 0xFF;
}

void appendUtf8(std::string& bytes, QStringView text) {
    if (!text.isEmpty())
        bytes += text.toUtf8().toStdString();
}

} // namespace

QString fromBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    // Well-formed runs are converted whole; only a byte that starts no character is marked.
    size_t run = 0;
    size_t at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const size_t length = byte < 0x80 ? 1 : characterLength(bytes, at);
        if (byte < 0x80 || length > 1) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(at - run));
        text += QChar(static_cast<char16_t>(kByteBase + byte));
        run = ++at;
    }
    text += QString::fromUtf8(bytes.data() + run, static_cast<qsizetype>(at - run));
    return text;
}

std::string toBytes(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A character beyond the BMP is a pair: its second half is no byte mark.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (!isByteMark(unit))
            continue;
        appendUtf8(bytes, text.mid(run, i - run));
        bytes += static_cast<char>(unit - kByteBase);
        run = i + 1;
    }
    appendUtf8(bytes, text.mid(run));
    return bytes;
}

QUrl fileUrl(std::string_view path) {
    const QByteArray raw(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

std::string localPath(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // The encoded form still holds the bytes that toLocalFile() would turn into U+FFFD.
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return QByteArray::fromPercentEncoding(encoded).toStdString();
}

} // namespace ryk
