// libFuzzer target for the RTF reader and writer: whatever the input, reading must not crash,
// and what was read must survive a write and a second read unchanged.
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const RtfReadResult first =
        Rtf::read(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!first.ok())
        return 0;
    (void)Rtf::plainText(first.document);

    const QByteArray written = Rtf::write(first.document);
    for (char c : written) {
        if (static_cast<unsigned char>(c) >= 0x80)
            std::abort(); // the writer's output is 7-bit
    }
    const RtfReadResult second = Rtf::read(written);
    if (!second.ok() || !second.warning.isEmpty() || second.document != first.document)
        std::abort();
    return 0;
}
