#include "rtf/rtfbytedecoder.h"

#include "rtf/rtfcodepage.h"

#include <QStringDecoder>

namespace {

bool keepUnit(char16_t unit)
{
    return unit >= 0x20 || unit == u'\t';
}

} // namespace

RtfByteDecoder::RtfByteDecoder() = default;
RtfByteDecoder::~RtfByteDecoder() = default;

QStringDecoder *RtfByteDecoder::decoderFor(int codePage)
{
    auto found = m_decoders.find(codePage);
    if (found != m_decoders.end())
        return found->second.get();
    // 65001 is how Windows names UTF-8; the platform knows the others as windows-N.
    const QByteArray name =
        codePage == 65001 ? QByteArray("UTF-8") : "windows-" + QByteArray::number(codePage);
    auto decoder =
        std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder->isValid())
        decoder.reset();
    return m_decoders.emplace(codePage, std::move(decoder)).first->second.get();
}

void RtfByteDecoder::decode(int codePage, QByteArrayView bytes, QString &out)
{
    bool ascii = true;
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // Every Windows code page we read keeps ASCII as is; 1252 has its own table.
    QStringDecoder *decoder = ascii || codePage == 1252 ? nullptr : decoderFor(codePage);
    if (!decoder) {
        out.reserve(out.size() + bytes.size());
        for (char byte : bytes) {
            const char16_t unit = Rtf::fromWindows1252(static_cast<unsigned char>(byte));
            if (keepUnit(unit))
                out += QChar(unit);
        }
        return;
    }
    const QString decoded = decoder->decode(bytes);
    out.reserve(out.size() + decoded.size());
    for (QChar c : decoded) {
        if (keepUnit(c.unicode()))
            out += c;
    }
}
