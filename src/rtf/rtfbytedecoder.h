#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <unordered_map>

class QStringDecoder;

// Decodes the 8-bit text of an RTF stream in Windows code pages, keeping one decoder per code
// page for the life of a read. Code pages the platform cannot decode fall back to 1252.
class RtfByteDecoder
{
public:
    RtfByteDecoder();
    ~RtfByteDecoder();
    RtfByteDecoder(const RtfByteDecoder &) = delete;
    RtfByteDecoder &operator=(const RtfByteDecoder &) = delete;

    // Appends the bytes decoded in the code page to out. C0 control characters other than tab
    // are dropped: they are not text in RTF, and a failed multi-byte decode produces them.
    void decode(int codePage, QByteArrayView bytes, QString &out);

private:
    QStringDecoder *decoderFor(int codePage);

    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_decoders; // null: unsupported
};
